// skinview SKINFILE [-page=N] [-shadow=OUT.bmp]: opens one skin of the
// embedded archive in a skinned frame and exits when the window is closed.
// With -shadow it instead writes the frame's shadow bitmap, exactly as the
// shadow hands it to the system (premultiplied, top row first), prints its
// size and its place relative to the window, and exits.

#include "BitmapFile.h"
#include "DuiLib/PaintManager.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/WndShadow.h"
#include "SkinViewWnd.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void PumpPending()
{
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// 0: written; 3: the skin has no shadow; 4: the file could not be written.
int WriteShadow(DuiLib::SkinViewWnd& window, const std::wstring& path)
{
    // Showing and the first paint are when a frame's shadow is computed.
    ::UpdateWindow(window);
    PumpPending();
    const DuiLib::CWndShadow& shadow = window.Shadow();
    if (!shadow.GetShadowWindow()) {
        std::fprintf(stderr, "the skin has no shadow\n");
        return 3;
    }
    DuiLib::ShadowPicture picture = shadow.Compose(window);
    RECT box{};
    ::GetWindowRect(window, &box);
    if (!picture.image ||
        !DuiLib::WriteTopDownBmp(path, picture.image->bits, picture.size.cx, picture.size.cy)) {
        std::fprintf(stderr, "no shadow bitmap written\n");
        return 4;
    }
    std::printf("width=%ld height=%ld x=%ld y=%ld\n", picture.size.cx, picture.size.cy,
                picture.position.x - box.left, picture.position.y - box.top);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring skin = L"mainWnd.xml";
    std::wstring shadowFile;
    int page = -1;
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"-page=", 0) == 0) {
            page = static_cast<int>(std::wcstol(arg.c_str() + 6, nullptr, 10));
        } else if (arg.rfind(L"-shadow=", 0) == 0) {
            shadowFile = arg.substr(8);
        } else {
            skin = arg;
        }
    }
    if (argv) ::LocalFree(argv);

    DuiLib::PaintManager::SetInstance(instance);
    DuiLib::SetArchiveFormat7z(true);
    DuiLib::CWndShadow::Initialize(instance);
    DuiLib::SkinViewWnd window(skin, page);
    if (!window.Create(nullptr, L"skinview", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0)) return 2;
    window.CenterWindow();
    if (!shadowFile.empty()) return WriteShadow(window, shadowFile);
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
