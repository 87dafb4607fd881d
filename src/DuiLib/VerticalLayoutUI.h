#pragma once

#include "ContainerUI.h"

namespace DuiLib {

// Children stacked top to bottom: fixed ones keep their size, flexible
// ones share the rest.
class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;
    void SetPos(const RECT& rc) override;
};

}  // namespace DuiLib
