#include "InstallerScreen.h"

#include "support/RealInput.h"
#include "support/TestFiles.h"

namespace InstallerTest {

RECT WindowBox(HWND window)
{
    RECT box{};
    ::GetWindowRect(window, &box);
    return box;
}

TestSupport::ScreenCapture CaptureWindow(HWND window) { return TestSupport::CaptureScreen(WindowBox(window)); }

void SaveScreenshot(HWND window, const std::wstring& name)
{
    RECT around = WindowBox(window);
    ::InflateRect(&around, 12, 12);
    TestSupport::CaptureScreen(around).SavePng(TestSupport::OutputDir() + L"\\installer-" + name + L".png");
}

void ClickInWindow(HWND window, POINT point)
{
    RECT box = WindowBox(window);
    TestSupport::ClickAt(POINT{box.left + point.x, box.top + point.y});
}

void ParkPointer() { TestSupport::MoveMouseTo(POINT{2, ::GetSystemMetrics(SM_CYSCREEN) - 3}); }

}  // namespace InstallerTest
