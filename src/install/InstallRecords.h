#pragma once
// The registry half of what the installer remembers of an installed copy:
// HKEY_CURRENT_USER\Software\NorVoSoft\Lumora, values InstallPath and
// UnInstallEp (both REG_SZ). The main window reads them at start-up and writes
// them after a successful install; nothing here ever removes them.

#include <string>

// As read at start-up. The uninstaller falls back to the install folder's
// "uninst.ep" when only the folder is registered.
struct RegisteredInstall {
    std::wstring installPath;
    std::wstring uninstallerPath;
};

extern const wchar_t kInstallRecordsKey[];  // under HKEY_CURRENT_USER

// Text up to the value's first NUL, whatever its registry type. Any failure
// leaves text unchanged and returns false.
bool ReadRegistryString(const std::wstring& valueName, std::wstring& text);
// Creates the key when missing; writes REG_SZ with its terminating NUL.
bool WriteRegistryString(const std::wstring& valueName, const std::wstring& text);

RegisteredInstall ReadInstallRecords();

// After a successful install. installDir is the folder of the attempt, or the
// one the package reported; newUninstallerEntry the package's entry point
// report (empty when none came). UnInstallEp is only written for a file that
// exists. An empty folder records nothing, so a bad report cannot erase the
// registration of the copy that is installed.
void WriteInstallRecords(const std::wstring& installDir, const std::wstring& newUninstallerEntry);

// The uninstaller path to use for a registration: the given one, or the
// folder's "uninst.ep" when it is empty and the folder is not.
std::wstring UninstallerPathFor(const std::wstring& installPath, const std::wstring& uninstallerPath);
