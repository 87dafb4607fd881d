#pragma once

namespace DuiLib {

// What a list of items needs from the control that owns it.
class IListOwnerUI {
public:
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool notify = true) = 0;

protected:
    ~IListOwnerUI() = default;
};

}  // namespace DuiLib
