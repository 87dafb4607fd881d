#include "InstallRecordsFolder.h"

#include "InstallRecordsPaths.h"
#include "Utils/HostProbes.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

namespace {
const wchar_t kProductFolder[] = L"Lumora";
const wchar_t kAdminBaseFolder[] = L"norvo";
const size_t kOverrideChars = 19;

// Forward slashes made backslashes and trailing separators dropped (a drive
// root keeps its own): the shell's relative path between "D:\Apps" and
// "D:\Apps\" is ".\" or "", not ".", though both name one folder.
std::wstring ComparableFolder(const std::wstring& folder)
{
    std::wstring comparable = folder;
    std::replace(comparable.begin(), comparable.end(), L'/', L'\\');
    while (comparable.size() > 1 && comparable.back() == L'\\' &&
           !(comparable.size() == 3 && comparable[1] == L':'))
        comparable.pop_back();
    return comparable;
}
}  // namespace

HostAdminFacts ProbeHostAdminFacts()
{
    // A failed console query leaves the name empty, and the account query
    // then answers false.
    std::wstring consoleUser;
    Utils::GetConsoleUserName(consoleUser);
    HostAdminFacts facts;
    facts.consoleUserIsAdmin = Utils::IsUserAdmin(consoleUser);
    facts.processIsAdmin = Utils::IsProcessAdmin();
    return facts;
}

bool IsSameFolder(const std::wstring& first, const std::wstring& second)
{
    const std::wstring from = ComparableFolder(first), to = ComparableFolder(second);
    // The shell call works in MAX_PATH buffers; longer paths cannot be compared.
    if (from.size() >= MAX_PATH || to.size() >= MAX_PATH) return false;
    wchar_t relative[MAX_PATH] = {};
    if (!::PathRelativePathToW(relative, from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(),
                               FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return std::wcscmp(relative, L".") == 0;
}

std::wstring DefaultInstallDirFor(const RegisteredInstall& registered, const HostAdminFacts& facts)
{
    if (!registered.installPath.empty() && ::PathFileExistsW(registered.uninstallerPath.c_str()))
        return registered.installPath;
    std::wstring base;
    const std::wstring appData =
        facts.consoleUserIsAdmin && facts.processIsAdmin ? RecordPaths::AppDataFolder() : std::wstring();
    if (!appData.empty()) {
        base = RecordPaths::Join(appData, kAdminBaseFolder);
    } else {
        base = RecordPaths::SpecialFolder(CSIDL_PROGRAM_FILESX86);
        if (base.empty()) base = RecordPaths::SpecialFolder(CSIDL_PROGRAM_FILES);
    }
    return RecordPaths::Join(base, kProductFolder);
}

std::wstring DefaultInstallDir(const RegisteredInstall& registered, HostAdminFacts& facts)
{
    facts = ProbeHostAdminFacts();
    return DefaultInstallDirFor(registered, facts);
}

bool IsDefaultInstallDir(const std::wstring& folder, const RegisteredInstall& registered, HostAdminFacts& facts)
{
    return IsSameFolder(folder, DefaultInstallDir(registered, facts));
}

std::wstring ChosenInstallDirFor(const std::wstring& editText, const std::wstring& defaultDir)
{
    if (IsSameFolder(editText, defaultDir)) return defaultDir;
    std::wstring folder = editText;
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return RecordPaths::Join(folder, kProductFolder);
}

std::wstring ChosenInstallDir(const std::wstring& editText, const RegisteredInstall& registered,
                              HostAdminFacts& facts)
{
    return ChosenInstallDirFor(editText, DefaultInstallDir(registered, facts));
}

bool IsOverrideDisabled(const std::wstring& folder, const std::wstring& registeredInstallPath)
{
    if (!IsSameFolder(folder, registeredInstallPath)) return false;
    wchar_t value[kOverrideChars + 1] = {};
    ::GetPrivateProfileStringW(L"Uninstall", L"IsOverride", L"true", value, kOverrideChars + 1,
                               RecordPaths::SetIniPath(folder).c_str());
    return std::wcscmp(value, L"false") == 0;
}
