// minwindow: the floor of the start-up benchmark. The least a Win32 program
// does to show a window of the installer's size: register a class, create one
// borderless 600x400 window centred on the screen, paint it once in WM_PAINT
// and run the message loop. Like the installer's frame it has no class
// background brush, so nothing reaches the screen before its own paint.
#include <windows.h>

namespace {

const wchar_t kClassName[] = L"MinimalBenchWindow";
const int kWidth = 600;
const int kHeight = 400;

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    HBRUSH fill = ::CreateSolidBrush(RGB(0xF4, 0xF7, 0xFC));
    ::FillRect(dc, &client, fill);
    ::DeleteObject(fill);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, L"minimal window", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: Paint(window); return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(window, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass)) return 1;

    int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = ::CreateWindowExW(0, kClassName, L"minimal window", WS_POPUP, x, y, kWidth, kHeight, nullptr,
                                    nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, show);
    ::UpdateWindow(window);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
