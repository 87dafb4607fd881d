// dlprobe TYPE URL DEST [-log]
// Creates the downloader DownloadType TYPE selects, starts it, starts it again
// on 1005 from inside the report (as the installer's sequencer does), and
// prints every report as one UTF-8 line "code<TAB>progress<TAB>text". Exit code
// 0 after 1003, 1 after 1004, 2 on bad arguments. -log copies the diagnostic
// log to standard error.

#include "download/DownloaderFactory.h"
#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

CDownloader* g_downloader = nullptr;
Utils::UniqueHandle g_ended;
int g_exitCode = 1;

void PrintToStderr(const wchar_t* line)
{
    std::string text = Utils::ToNarrow(line, CP_UTF8);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

void OnReport(int code, double progress, const wchar_t* text)
{
    std::printf("%d\t%.6f\t%s\n", code, progress, Utils::ToNarrow(text, CP_UTF8).c_str());
    std::fflush(stdout);
    if (code == DL_CODE_RETRY) {
        g_downloader->Start();
    } else if (code == DL_CODE_SUCCESS || code == DL_CODE_FAIL) {
        g_exitCode = code == DL_CODE_SUCCESS ? 0 : 1;
        ::SetEvent(g_ended.Get());
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: dlprobe TYPE URL DEST [-log]\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc > 4 && std::wstring(argv[4]) == L"-log") DiagnosticLog::SetSink(&PrintToStderr);
    ::curl_global_init(CURL_GLOBAL_ALL);
    g_ended.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    {
        DownloadSettings settings;
        settings.downloadType = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
        std::unique_ptr<CDownloader> downloader = CreateDownloader(settings, &OnReport, argv[2], argv[3]);
        g_downloader = downloader.get();
        downloader->Start();
        ::WaitForSingleObject(g_ended.Get(), INFINITE);
        // Destruction waits for the downloader's threads to end.
    }
    g_ended.Reset();
    ::curl_global_cleanup();
    return g_exitCode;
}
