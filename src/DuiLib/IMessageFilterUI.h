#pragma once

#include <windows.h>

namespace DuiLib {

// Sees keyboard messages before the window's own handlers.
class IMessageFilterUI {
public:
    virtual LRESULT FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

}  // namespace DuiLib
