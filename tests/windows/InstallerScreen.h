#pragma once
// The installer's windows on the screen: pictures of them as a user sees
// them, screenshots for a person, and clicks with real input.

#include "DuiLib/ScreenCapture.h"

#include <windows.h>

#include <string>

namespace InstallerTest {

RECT WindowBox(HWND window);
// The window's own rectangle as the screen shows it.
TestSupport::ScreenCapture CaptureWindow(HWND window);
// The window with a margin (its shadow) into the test output folder as
// "installer-<name>.png".
void SaveScreenshot(HWND window, const std::wstring& name);
// A click at a point of the window (window coordinates) through the system's input.
void ClickInWindow(HWND window, POINT point);
// Moves the pointer off every window, so no button shows its hover look.
void ParkPointer();

}  // namespace InstallerTest
