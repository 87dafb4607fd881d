#include "InstallRecords.h"

#include "InstallRecordsPaths.h"
#include "Utils/UniqueResource.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

const wchar_t kInstallRecordsKey[] = L"Software\\NorVoSoft\\Lumora";

namespace {
const wchar_t kInstallPathValue[] = L"InstallPath";
const wchar_t kUninstallerValue[] = L"UnInstallEp";
const wchar_t kUninstallerFile[] = L"uninst.ep";
}  // namespace

bool ReadRegistryString(const std::wstring& valueName, std::wstring& text)
{
    Utils::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInstallRecordsKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return false;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return false;
    // Zero-filled with room for an odd byte count and a NUL the value may lack.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                           &bytes) != ERROR_SUCCESS)
        return false;
    text = buffer.data();
    return true;
}

bool WriteRegistryString(const std::wstring& valueName, const std::wstring& text)
{
    Utils::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kInstallRecordsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            bytes) == ERROR_SUCCESS;
}

std::wstring UninstallerPathFor(const std::wstring& installPath, const std::wstring& uninstallerPath)
{
    if (uninstallerPath.empty() && !installPath.empty()) return RecordPaths::Join(installPath, kUninstallerFile);
    return uninstallerPath;
}

RegisteredInstall ReadInstallRecords()
{
    RegisteredInstall registered;
    ReadRegistryString(kInstallPathValue, registered.installPath);
    ReadRegistryString(kUninstallerValue, registered.uninstallerPath);
    registered.uninstallerPath = UninstallerPathFor(registered.installPath, registered.uninstallerPath);
    return registered;
}

void WriteInstallRecords(const std::wstring& installDir, const std::wstring& newUninstallerEntry)
{
    // The package's reports may still carry the CR of a CRLF line end, which
    // no real folder name contains.
    const std::wstring folder = RecordPaths::StripLineEnd(installDir);
    if (folder.empty()) return;
    WriteRegistryString(kInstallPathValue, folder);
    const std::wstring entry = UninstallerPathFor(folder, RecordPaths::StripLineEnd(newUninstallerEntry));
    if (::PathFileExistsW(entry.c_str())) WriteRegistryString(kUninstallerValue, entry);
}
