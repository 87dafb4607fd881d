#pragma once
// A control that owns child controls. The plain container places every
// visible child over its inner box; the layouts refine the placement.

#include "ControlUI.h"

#include <memory>
#include <vector>

namespace DuiLib {

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    // Takes ownership; false for null.
    bool Add(std::unique_ptr<CControlUI> control);
    bool AddAt(std::unique_ptr<CControlUI> control, int index);
    // Deletes the child (and removes all children), through the manager
    // when there is one: a child still handling its own event (a click
    // handler that removes its button) goes once that event is done.
    bool Remove(CControlUI* control);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;

    const RECT& GetInset() const { return inset_; }
    void SetInset(const RECT& inset);
    int GetChildPadding() const { return childPadding_; }
    void SetChildPadding(int padding);

    void SetVisible(bool visible) override;
    void SetInternVisible(bool visible) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(PaintManager* manager, CControlUI* parent, bool init) override;
    CControlUI* FindControl(const std::function<bool(CControlUI*)>& match) override;
    CControlUI* FindControlAt(POINT pt) override;
    void SetPos(const RECT& rc) override;
    void DoPaint(HDC dc, const RECT& rcPaint) override;

protected:
    // Deletes a child already taken out of items_: through the manager
    // (Dispose) when there is one, so a use in progress keeps it alive.
    void Discard(CControlUI* control);
    // The box children are laid out in: own box less the inset.
    RECT InnerBox() const;
    // Places one child at its padding inside box, with its estimate or the
    // whole box less the padding where the estimate is 0, clamped.
    void PlaceFilling(CControlUI* child, const RECT& box);
    // Lines the visible children up along one axis by the layout rule.
    void ArrangeAlongAxis(bool vertical);

    std::vector<CControlUI*> items_;  // owned
    RECT inset_{0, 0, 0, 0};
    int childPadding_ = 0;
    int childAlign_ = 0;   // 0 left, 1 centre, 2 right
    int childVAlign_ = 0;  // 0 top, 1 centre, 2 bottom
};

}  // namespace DuiLib
