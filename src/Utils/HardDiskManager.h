#pragma once
// Free and total space of a disk volume, and the installer's minimum of free
// space for an install.

#include <string>

namespace Utils {

class HardDiskManager {
public:
    HardDiskManager() = default;
    virtual ~HardDiskManager() = default;

    // Fills the three counts for the volume of the directory (the install
    // action passes a bare drive such as "C:"). On failure the counts keep
    // their previous values and the platform's error code is logged.
    bool CheckFreeSpace(const std::wstring& directory);

    unsigned long long available = 0;  // free bytes the calling user may use (quotas applied)
    unsigned long long total = 0;      // bytes of the volume the calling user may use
    unsigned long long free = 0;       // free bytes of the whole volume
};

// At least 1 GiB available: anything less refuses the install.
bool HasRoomForInstall(unsigned long long availableBytes);

// The drive part of a path as the C run-time splits it ("D:" from
// "D:\Apps\Lumora"); empty for paths without a drive letter, such as shares.
std::wstring DriveOfPath(const std::wstring& path);

}  // namespace Utils
