#include "HardDiskManager.h"

#include "app/DiagnosticLog.h"

#include <windows.h>

#include <cstdlib>

namespace Utils {

namespace {
const double kBytesPerGiB = 1073741824.0;
const size_t kDriveChars = 3;  // "D:" and its NUL
}  // namespace

bool HardDiskManager::CheckFreeSpace(const std::wstring& directory)
{
    ULARGE_INTEGER availableToUser = {}, totalForUser = {}, freeOnVolume = {};
    if (!::GetDiskFreeSpaceExW(directory.c_str(), &availableToUser, &totalForUser, &freeOnVolume)) {
        LogRaw(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", static_cast<long>(::GetLastError()));
        return false;
    }
    available = availableToUser.QuadPart;
    total = totalForUser.QuadPart;
    free = freeOnVolume.QuadPart;
    return true;
}

bool HasRoomForInstall(unsigned long long availableBytes)
{
    return static_cast<double>(availableBytes) / kBytesPerGiB >= 1.0;
}

std::wstring DriveOfPath(const std::wstring& path)
{
    wchar_t drive[kDriveChars] = {};
    if (_wsplitpath_s(path.c_str(), drive, kDriveChars, nullptr, 0, nullptr, 0, nullptr, 0) != 0) return L"";
    return drive;
}

}  // namespace Utils
