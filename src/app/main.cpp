// Program entry. For now it takes the settings and the single-instance mutex;
// the main window joins it later.

#include "InstallerConfig.h"
#include "Utils/SingleInstanceMutex.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    Utils::SingleInstanceMutex mutex(L"LumoraInstaller");
    if (!mutex.Acquire()) return -1;
    InstallerConfig::Instance().ApplyCommandLine(::GetCommandLineW());
    return 0;
}
