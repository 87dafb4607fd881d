// Program entry: one installer at a time, the HTTP library and the toolkit
// prepared, the main window run modally on this (the UI) thread, then
// everything torn down in order.

#include "InstallerConfig.h"
#include "DuiLib/PaintManager.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/WndShadow.h"
#include "Utils/SingleInstanceMutex.h"
#include "windows/MainWnd.h"
#include "windows/SkinNames.h"

#include <curl/curl.h>
#include <windows.h>

namespace {

// The base name other installers of the product look for.
const wchar_t kInstanceName[] = L"Installer_Lumora";

// Unhandled exceptions go to the system's own handling.
LONG WINAPI LeaveToTheSystem(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

MainWindowSettings WindowSettingsFrom(const InstallerConfig& config)
{
    MainWindowSettings settings;
    settings.downloadUrl = config.DownloadUrl;
    settings.isCheckNet = config.IsCheckNet;
    settings.downloadScale = config.DownloadScale;
    settings.language = config.Language;
    settings.sequencer.downloadType = config.DownloadType;
    settings.sequencer.insNew = config.InsNew;
    settings.sequencer.instCmd = config.InstCmd;
    settings.sequencer.httpLibraryReady = config.HttpLibraryReady;
    return settings;
}

void RunMainWindow(InstallerConfig& config)
{
    CMainWnd window(WindowSettingsFrom(config));
    if (!window.Create(nullptr, SkinNames::kMainWindowTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0)) return;
    window.CenterWindow();
    window.ShowModal();
    config.Language = window.LanguageIndex();
    // The window object goes here, joining every worker it owns.
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    ::SetUnhandledExceptionFilter(LeaveToTheSystem);
    InstallerConfig& config = InstallerConfig::Instance();
    if (::curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) config.HttpLibraryReady = false;

    Utils::SingleInstanceMutex guard(kInstanceName);
    if (!guard.Acquire()) return -1;
    config.ApplyCommandLine(::GetCommandLineW());

    DuiLib::PaintManager::SetInstance(instance);
    DuiLib::SetArchiveFormat7z(true);
    DuiLib::CWndShadow::Initialize(instance);

    RunMainWindow(config);
    // Every downloader thread has been joined with the window: only now may
    // the HTTP library go.
    ::curl_global_cleanup();
    ::ReleaseMutex(guard.Handle());
    return 0;  // the guard's handle is closed on the way out
}
