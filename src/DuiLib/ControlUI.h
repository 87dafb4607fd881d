#pragma once
// The base of every control: a box in the window's control tree with a name,
// text, size rules, colours, images and border, painted into the window's
// device context and fed events by the paint manager.

#include "UIEvent.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace DuiLib {

class PaintManager;

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring GetClass() const;
    // The control as the named interface ("Control", "Label", ...), or null.
    virtual CControlUI* GetInterface(const std::wstring& name);

    const std::wstring& GetName() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }
    virtual std::wstring GetText() const;
    virtual void SetText(const std::wstring& text);
    const std::wstring& GetUserData() const { return userData_; }
    void SetUserData(const std::wstring& data) { userData_ = data; }

    // Visible: set visible itself and inside a shown parent.
    bool IsVisible() const { return visible_ && internVisible_; }
    virtual void SetVisible(bool visible);
    virtual void SetInternVisible(bool visible);
    bool IsEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool IsMouseEnabled() const { return mouseEnabled_; }
    bool IsFocused() const { return (state_ & StateFocused) != 0; }
    void SetFocus();
    UINT GetState() const { return state_; }

    const RECT& GetPos() const { return rcItem_; }
    virtual void SetPos(const RECT& rc);
    const RECT& GetPadding() const { return padding_; }
    void SetPadding(const RECT& padding);
    int GetFixedWidth() const { return fixed_.cx; }
    int GetFixedHeight() const { return fixed_.cy; }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return min_.cx; }
    int GetMinHeight() const { return min_.cy; }
    int GetMaxWidth() const { return max_.cx; }
    int GetMaxHeight() const { return max_.cy; }
    // Size along each axis the layouts work from; 0 means flexible.
    virtual SIZE EstimateSize(SIZE available);

    uint32_t GetBkColor() const { return bkColor_; }
    void SetBkColor(uint32_t argb);
    const std::wstring& GetBkImage() const { return bkImage_; }
    void SetBkImage(const std::wstring& description);
    uint32_t GetBorderColor() const { return borderColor_; }
    int GetBorderSize() const { return borderSize_; }
    SIZE GetBorderRound() const { return borderRound_; }

    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);

    // Tree membership: the manager and parent, and whether to initialise.
    virtual void SetManager(PaintManager* manager, CControlUI* parent, bool init);
    PaintManager* GetManager() const { return manager_; }
    CControlUI* GetParent() const { return parent_; }
    virtual void DoInit();

    // Depth-first search; the predicate sees every control, visible or not.
    virtual CControlUI* FindControl(const std::function<bool(CControlUI*)>& match);
    // The deepest visible, mouse-enabled control under the point (this or a child).
    virtual CControlUI* FindControlAt(POINT pt);

    virtual void DoEvent(UIEvent& event);
    virtual void DoPaint(HDC dc, const RECT& rcPaint);
    virtual void PaintBkColor(HDC dc);
    virtual void PaintBkImage(HDC dc);
    virtual void PaintStatusImage(HDC dc);
    virtual void PaintText(HDC dc);
    virtual void PaintBorder(HDC dc);
    // Draws an image description into this control's box; false when the image is missing.
    bool DrawImage(HDC dc, const std::wstring& description);

    void Invalidate();
    // Asks for a new layout of the whole window.
    void NeedUpdate();

protected:
    // Forgets hover, press and capture as the control leaves sight.
    void DropInput();
    void SetState(UINT bits, bool on);
    // Hover and press states from mouse events; true when a press ends with
    // the release over this control.
    bool TrackPress(const UIEvent& event);

    PaintManager* manager_ = nullptr;  // not owned
    CControlUI* parent_ = nullptr;     // not owned
    std::wstring name_;
    std::wstring text_;
    std::wstring userData_;
    bool visible_ = true;
    bool internVisible_ = true;
    bool enabled_ = true;
    bool mouseEnabled_ = true;
    UINT state_ = 0;
    RECT rcItem_{0, 0, 0, 0};
    RECT padding_{0, 0, 0, 0};
    SIZE fixed_{0, 0};
    SIZE min_{0, 0};
    SIZE max_{9999, 9999};
    uint32_t bkColor_ = 0;
    std::wstring bkImage_;
    uint32_t borderColor_ = 0;
    int borderSize_ = 0;
    SIZE borderRound_{0, 0};
};

}  // namespace DuiLib
