#pragma once
// An option that stands alone: every click toggles it.

#include "OptionUI.h"

namespace DuiLib {

class CCheckBoxUI : public COptionUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool checked, bool notify = true) { Selected(checked, notify); }
};

}  // namespace DuiLib
