// seqprobe [installer switches] -dir=FOLDER [-olduninst=PATH] [-dsc=BOOL] [-ssc=BOOL] [-inslang=CODE]
// Runs the download-and-install sequence the way the main window does, without
// a window: the installer's own switches (-downloadurl=, -downloadtype=,
// -instcmd=, -insnew=, ...) apply to the settings, -dir= is the install folder,
// -olduninst= the registered uninstaller, -dsc=/-ssc= the desktop and quick
// launch shortcut choices (default true), -inslang= the language code. Prints
// every report as one UTF-8 line "code<TAB>progress<TAB>text" and exits once a
// final report has arrived and the sequencer is gone: 0 after 2003, 1 after
// any other final report, 2 on bad use. It writes no install records.

#include "Utils/HostProbes.h"
#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"
#include "app/CommandLineSwitches.h"
#include "app/InstallerConfig.h"
#include "install/CDownloadInstaller.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>

namespace {

Utils::UniqueHandle g_finished;
std::atomic<int> g_finalCode{0};

void OnReport(int code, double progress, const wchar_t* text)
{
    std::printf("%d\t%.6f\t%s\n", code, progress, Utils::ToNarrow(text, CP_UTF8).c_str());
    std::fflush(stdout);
    if (IsSequenceFinal(code) && g_finalCode.exchange(code) == 0) ::SetEvent(g_finished.Get());
}

bool SwitchBool(const CommandLineSwitches& s, const wchar_t* key, bool fallback)
{
    return s.Has(key) ? s.String(key) == L"true" : fallback;
}

}  // namespace

int wmain()
{
    _setmode(_fileno(stdout), _O_BINARY);
    const std::wstring commandLine = ::GetCommandLineW();
    InstallerConfig& config = InstallerConfig::Instance();
    config.ApplyCommandLine(commandLine);
    const CommandLineSwitches s = CommandLineSwitches::FromCommandLine(commandLine);
    const std::wstring dir = s.String(L"-dir");
    if (dir.empty()) {
        std::fprintf(stderr, "usage: seqprobe -dir=FOLDER [-olduninst=PATH] [-dsc=BOOL] [-ssc=BOOL] [-inslang=CODE] "
                             "[installer switches]\n");
        return 2;
    }
    config.HttpLibraryReady = ::curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
    g_finished.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));

    std::wstring consoleUser;
    Utils::GetConsoleUserName(consoleUser);
    SequencerSettings settings;
    settings.downloadType = config.DownloadType;
    settings.insNew = config.InsNew;
    settings.instCmd = config.InstCmd;
    settings.httpLibraryReady = config.HttpLibraryReady;
    InstallAttempt attempt;
    attempt.downloadUrl = config.DownloadUrl;
    attempt.oldUninstallerPath = s.String(L"-olduninst");
    attempt.installDir = dir;
    attempt.desktopShortcut = SwitchBool(s, L"-dsc", true);
    attempt.quickLaunchShortcut = SwitchBool(s, L"-ssc", true);
    attempt.consoleUserIsAdmin = Utils::IsUserAdmin(consoleUser);
    attempt.processIsAdmin = Utils::IsProcessAdmin();
    attempt.language = s.String(L"-inslang");
    {
        auto sequencer = std::make_unique<CDownloadInstaller>(&OnReport, settings);
        sequencer->Init(attempt);
        sequencer->Start();
        ::WaitForSingleObject(g_finished.Get(), INFINITE);
        // Destruction joins every stage worker.
    }
    ::curl_global_cleanup();
    return g_finalCode == IST_CODE_SUCCESS ? 0 : 1;
}
