#pragma once
// Where an install goes: the default folder, the folder chosen in the main
// window's edit box, and whether an older copy in that folder stays.

#include "InstallRecords.h"

#include <string>

// Computed with the default folder; they become the package's "-adminact="
// and "-authorizationact=" values.
struct HostAdminFacts {
    bool consoleUserIsAdmin = false;  // the console user's account has administrator privilege
    bool processIsAdmin = false;      // this process is a member of Administrators
};

HostAdminFacts ProbeHostAdminFacts();

// Two paths name the same folder when the shell's relative path from one to
// the other is exactly "."; forward slashes and trailing separators are set
// aside first, so "D:/Apps/" and "d:\Apps" are one folder.
bool IsSameFolder(const std::wstring& first, const std::wstring& second);

// The registered folder when its uninstaller exists; otherwise
// "%APPDATA%\norvo\Lumora" when both host facts hold, else the (32-bit)
// program files folder's "Lumora". Probes the host and stores the facts.
std::wstring DefaultInstallDir(const RegisteredInstall& registered, HostAdminFacts& facts);
// The same rule for given facts.
std::wstring DefaultInstallDirFor(const RegisteredInstall& registered, const HostAdminFacts& facts);

bool IsDefaultInstallDir(const std::wstring& folder, const RegisteredInstall& registered, HostAdminFacts& facts);

// The folder an install from the custom page uses, given the edit box's text.
std::wstring ChosenInstallDir(const std::wstring& editText, const RegisteredInstall& registered,
                              HostAdminFacts& facts);
// The edit box rule for a known default folder: the default folder itself, or
// the text with "/" made "\" and "Lumora" joined to it.
std::wstring ChosenInstallDirFor(const std::wstring& editText, const std::wstring& defaultDir);

// True when an older copy is to stay in place: the install goes to the
// registered folder and that folder's set.ini says [Uninstall] IsOverride=false
// (exactly; "False" still removes it).
bool IsOverrideDisabled(const std::wstring& folder, const std::wstring& registeredInstallPath);
