// skinview SKINFILE [-page=N]: opens one skin of the embedded archive in a
// plain frame and exits when the window is closed.

#include "DuiLib/PaintManager.h"
#include "DuiLib/ResourceState.h"
#include "SkinViewWnd.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring skin = L"mainWnd.xml";
    int page = -1;
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"-page=", 0) == 0) {
            page = static_cast<int>(std::wcstol(arg.c_str() + 6, nullptr, 10));
        } else {
            skin = arg;
        }
    }
    if (argv) ::LocalFree(argv);

    DuiLib::PaintManager::SetInstance(instance);
    DuiLib::SetArchiveFormat7z(true);
    DuiLib::SkinViewWnd window(skin, page);
    if (!window.Create(nullptr, L"skinview", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0)) return 2;
    window.CenterWindow();
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
