#include "RealInput.h"

#include <vector>

namespace TestSupport {

namespace {

// Gives the receiving thread a moment between steps, as a hand would.
void Settle() { ::Sleep(40); }

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
}

void SendKey(WORD virtualKey, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(input));
}

void SendCharacter(wchar_t c, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = c;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    ::SendInput(1, &input, sizeof(input));
}

// Normalised absolute coordinate (0..65535) that maps back onto the pixel.
LONG Normalised(LONG pixel, int extent) { return static_cast<LONG>((pixel * 65536LL + extent - 1) / extent); }

}  // namespace

void MoveMouseTo(POINT screen)
{
    ::SetCursorPos(screen.x, screen.y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Normalised(screen.x, ::GetSystemMetrics(SM_CXSCREEN)),
              Normalised(screen.y, ::GetSystemMetrics(SM_CYSCREEN)));
    Settle();
}

void PressLeftButton()
{
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Settle();
}

void ReleaseLeftButton()
{
    SendMouse(MOUSEEVENTF_LEFTUP);
    Settle();
}

void ClickAt(POINT screen)
{
    MoveMouseTo(screen);
    PressLeftButton();
    ReleaseLeftButton();
}

void DoubleClickAt(POINT screen)
{
    MoveMouseTo(screen);
    INPUT inputs[4]{};
    const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = flags[i];
    }
    ::SendInput(4, inputs, sizeof(INPUT));
    Settle();
}

void PressKey(WORD virtualKey) { PressChord({virtualKey}); }

void PressChord(std::initializer_list<WORD> keys)
{
    std::vector<WORD> order(keys);
    for (WORD key : order) {
        SendKey(key, false);
        Settle();
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        SendKey(*it, true);
        Settle();
    }
}

void TypeText(const std::wstring& text)
{
    for (wchar_t c : text) {
        SendCharacter(c, false);
        SendCharacter(c, true);
        Settle();
    }
}

}  // namespace TestSupport
