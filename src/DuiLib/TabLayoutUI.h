#pragma once
// Shows exactly one child (index 0 at start); selecting another sends
// "tabselect" with the new index in wParam and the old in lParam.

#include "ContainerUI.h"

namespace DuiLib {

class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    int GetCurSel() const { return current_; }
    // False for an index outside the children; the current index changes
    // nothing and sends nothing.
    bool SelectItem(int index, bool notify = true);

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;
    void DoInit() override;

private:
    void ShowOnly(int index);

    int current_ = 0;
};

}  // namespace DuiLib
