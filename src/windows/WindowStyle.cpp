#include "WindowStyle.h"

void ApplyInstallerWindowStyle(HWND window)
{
    LONG style = ::GetWindowLongW(window, GWL_STYLE);
    ::SetWindowLongW(window, GWL_STYLE, (style & ~(WS_CAPTION | WS_MAXIMIZEBOX)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    ::SetWindowLongW(window, GWL_EXSTYLE, exStyle & ~WS_EX_TOPMOST);
}
