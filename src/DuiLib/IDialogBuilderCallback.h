#pragma once

#include <string>

namespace DuiLib {

class CControlUI;

// Offered every element name the builder does not know; returns a new control
// (owned by the tree from then on) or null to skip the element.
class IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const std::wstring& elementName) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

}  // namespace DuiLib
