#pragma once
// The skinned window base: builds its control tree from the skin file when
// the native window is created, dispatches messages (filters, per-message
// handlers, the other-message hook, then the paint manager) and turns
// "click" notifications into OnClick.

#include "IDialogBuilderCallback.h"
#include "IMessageFilterUI.h"
#include "INotifyUI.h"
#include "NotifyPump.h"
#include "PaintManager.h"
#include "WindowWnd.h"

namespace DuiLib {

// Where a window's skin resources come from.
enum ResourceKindValue : int {
    ResourceFile = 1,          // files below the resource path
    ResourceArchiveFile = 2,   // an archive file below the resource path
    ResourceArchiveModule = 4, // a "ZIPRES" archive in the program's resources
};

class WindowImplBase : public CWindowWnd, public CNotifyPump, public INotifyUI, public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    WindowImplBase();

    UINT WindowClassStyle() const override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND window) override;
    // Destroys a window that still exists while the paint manager and the
    // tree are alive; derived classes whose members the window's messages
    // reach call DestroyNativeWindow first in their own destructors.
    ~WindowImplBase() override;

    virtual void OnSkinLoaded();
    virtual void OnClick(NotifyMessage& msg);
    virtual std::wstring SkinFolder() const = 0;
    virtual std::wstring SkinFile() const = 0;
    // Enter and Esc from the filter; non-zero when handled.
    virtual LRESULT OnDefaultKey(WPARAM key);
    virtual int ResourceKind() const;
    virtual std::wstring ArchiveName() const;
    // A numeric resource name (MAKEINTRESOURCE) or "" for none.
    virtual LPCWSTR ResourceId() const;

    virtual LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseHover(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnChar(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKillFocus(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSetFocus(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnOtherMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LONG WindowStyle() const;

    // INotifyUI: the message map.
    void Notify(NotifyMessage& msg) override;
    const NotifyMap& MessageMap() const override;
    // IMessageFilterUI: Enter and Esc to OnDefaultKey.
    LRESULT FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // IDialogBuilderCallback: no controls of its own.
    std::unique_ptr<CControlUI> CreateControl(const std::wstring& elementName) override;

    PaintManager& GetPaintManager() { return paintManager_; }

protected:
    // Prepares the resource state for ResourceKind; false: go on without a skin.
    bool PrepareResources();

    PaintManager paintManager_;
};

// HTCAPTION inside the caption band unless a button, option or text control
// is under the client point; HTCLIENT elsewhere.
LRESULT CaptionHitTest(const PaintManager& manager, POINT pt, const RECT& client);

// The message box text shown when a skin cannot be built.
extern const wchar_t kSkinLoadFailureText[];

}  // namespace DuiLib
