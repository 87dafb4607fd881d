#pragma once
// One named notification from a control to the window's notifiers.

#include <windows.h>

#include <string>

namespace DuiLib {

class CControlUI;

struct NotifyMessage {
    std::wstring type;
    std::wstring virtualWindow;
    CControlUI* sender = nullptr;  // not owned
    DWORD timestamp = 0;
    POINT mousePoint{0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

}  // namespace DuiLib
