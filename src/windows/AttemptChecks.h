#pragma once
// The checks that come before an install attempt is handed to the sequencer,
// in their order: no old uninstaller copy and no product running (unless a
// new version is to be installed over a running one), the folder created,
// at least 1 GiB available on its drive. The few platform calls sit behind
// one small record so tests can steer them.

#include <functional>
#include <string>

struct AttemptHost {
    // True when a process with exactly this image name runs.
    std::function<bool(const std::wstring& exeName)> isRunning;
    // True when the folder exists afterwards (every missing parent made).
    std::function<bool(const std::wstring& folder)> createFolder;
    // Bytes the user may use on the folder's drive; 0 when unknown.
    std::function<unsigned long long(const std::wstring& folder)> availableBytes;
};

// The real calls: the process snapshot, folder creation, the disk check.
AttemptHost SystemAttemptHost();

enum class AttemptVerdict {
    Proceed,
    UninstallerCopyRunning,  // "Lumora_un_asa.exe", the copy an earlier attempt started
    ProductRunning,          // "lumora.exe"
    InvalidFolder,           // could not be created (or longer than 259 characters)
    LowDiskSpace,            // under 1 GiB available
};

AttemptVerdict CheckInstallAttempt(const std::wstring& folder, bool installOverRunning, const AttemptHost& host);

extern const wchar_t kProductExeName[];          // "lumora.exe"
extern const wchar_t kUninstallerCopyExeName[];  // "Lumora_un_asa.exe"
