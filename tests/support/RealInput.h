#pragma once
// Mouse and keyboard input through the system's own input path (SendInput),
// as a person's hands produce it: it reaches whichever window is under the
// pointer or holds the keyboard, with the system's hit testing, modality and
// focus rules, unlike messages posted to a chosen window.

#include <windows.h>

#include <initializer_list>
#include <string>

namespace TestSupport {

// Puts the pointer at a screen point and reports the move.
void MoveMouseTo(POINT screen);
void PressLeftButton();
void ReleaseLeftButton();
// Move there, press and release.
void ClickAt(POINT screen);
// Two clicks handed to the system at once, as a quick double click arrives
// before the program has looked at the first.
void DoubleClickAt(POINT screen);
// One key pressed and released.
void PressKey(WORD virtualKey);
// Keys pressed in order and released in reverse (alt+F4: {VK_MENU, VK_F4}).
void PressChord(std::initializer_list<WORD> keys);
// Characters typed one by one as the keyboard's Unicode input, for whichever
// window holds the keyboard (a native edit takes them as WM_CHAR).
void TypeText(const std::wstring& text);

}  // namespace TestSupport
