#include "app/InstallerConfig.h"
#include "Utils/TextConvert.h"

#include <windows.h>

#include <cstdio>

int main()
{
    InstallerConfig& c = InstallerConfig::Instance();
    c.ApplyCommandLine(::GetCommandLineW());
    std::printf("DownloadUrl=%s\nDownloadType=%d\nIsCheckNet=%d\nDownloadScale=%.6f\nInstCmd=%s\nLanguage=%d\n"
                "InsNew=%d\n",
                Utils::ToNarrow(c.DownloadUrl, CP_UTF8).c_str(), c.DownloadType, c.IsCheckNet ? 1 : 0,
                c.DownloadScale, Utils::ToNarrow(c.InstCmd, CP_UTF8).c_str(), c.Language, c.InsNew ? 1 : 0);
    return 0;
}
