#include "InstallRecordsPaths.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace RecordPaths {

namespace {
const DWORD kPathChars = 260;
}  // namespace

std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    if (last == L'\\' || last == L'/') return folder + name;
    return folder + L'\\' + name;
}

std::wstring AppDataFolder()
{
    wchar_t value[kPathChars] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", value, kPathChars);
    if (length == 0 || length >= kPathChars) return L"";
    return value;
}

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return L"";
    return path;
}

std::wstring SetIniPath(const std::wstring& installDir)
{
    if (installDir.empty()) return L"";
    const DWORD needed = ::GetFullPathNameW(installDir.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return L"";
    std::vector<wchar_t> full(needed + 1, L'\0');
    if (::GetFullPathNameW(installDir.c_str(), needed + 1, full.data(), nullptr) == 0) return L"";
    return Join(full.data(), L"set.ini");
}

std::wstring StripLineEnd(const std::wstring& text)
{
    const size_t end = text.find_last_not_of(L"\r\n");
    return end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
}

}  // namespace RecordPaths
