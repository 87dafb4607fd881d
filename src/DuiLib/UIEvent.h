#pragma once
// Input and timer events the paint manager hands to one control.

#include <windows.h>

namespace DuiLib {

enum class UIEventType {
    MouseEnter,
    MouseLeave,
    MouseMove,
    ButtonDown,
    ButtonUp,
    DoubleClick,
    SetFocus,
    KillFocus,
    KeyDown,
    Char,
    Timer,
};

struct UIEvent {
    UIEventType type = UIEventType::MouseMove;
    POINT point{0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD timestamp = 0;
};

// Control state bits.
enum : UINT {
    StateHot = 0x01,
    StatePushed = 0x02,
    StateFocused = 0x04,
    StateCaptured = 0x08,
};

}  // namespace DuiLib
