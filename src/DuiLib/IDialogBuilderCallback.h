#pragma once

#include "ControlUI.h"

#include <memory>
#include <string>

namespace DuiLib {

// Offered every element name the builder does not know; returns a new control
// (the tree owns it from then on) or null to skip the element.
class IDialogBuilderCallback {
public:
    virtual std::unique_ptr<CControlUI> CreateControl(const std::wstring& elementName) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

}  // namespace DuiLib
