#include "AttemptChecks.h"

#include "Utils/FileSystem.h"
#include "Utils/HardDiskManager.h"
#include "install/CDownloadInstaller.h"

const wchar_t kProductExeName[] = L"lumora.exe";
const wchar_t kUninstallerCopyExeName[] = L"Lumora_un_asa.exe";

AttemptHost SystemAttemptHost()
{
    AttemptHost host;
    host.isRunning = [](const std::wstring& exeName) { return CDownloadInstaller::FindProcessId(exeName) != 0; };
    host.createFolder = [](const std::wstring& folder) { return Utils::CreateDirectories(folder); };
    host.availableBytes = [](const std::wstring& folder) -> unsigned long long {
        Utils::HardDiskManager disk;
        return disk.CheckFreeSpace(Utils::DriveOfPath(folder)) ? disk.available : 0;
    };
    return host;
}

AttemptVerdict CheckInstallAttempt(const std::wstring& folder, bool installOverRunning, const AttemptHost& host)
{
    if (!installOverRunning) {
        if (host.isRunning(kUninstallerCopyExeName)) return AttemptVerdict::UninstallerCopyRunning;
        if (host.isRunning(kProductExeName)) return AttemptVerdict::ProductRunning;
    }
    if (folder.empty() || !host.createFolder(folder)) return AttemptVerdict::InvalidFolder;
    if (!Utils::HasRoomForInstall(host.availableBytes(folder))) return AttemptVerdict::LowDiskSpace;
    return AttemptVerdict::Proceed;
}
