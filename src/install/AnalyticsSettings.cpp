#include "AnalyticsSettings.h"

#include "InstallRecordsPaths.h"
#include "Utils/FileSystem.h"
#include "Utils/HostProbes.h"

#include <shlobj.h>

#include <clocale>
#include <cwchar>

namespace {
const wchar_t kInstallSection[] = L"Install";
const wchar_t kAnalyticsIniName[] = L"ZEDarororAvuvadide.ini";
const DWORD kPathChars = 260;

void WriteKey(const std::wstring& iniPath, const wchar_t* section, const wchar_t* key, const std::wstring& value)
{
    if (iniPath.empty()) return;
    ::WritePrivateProfileStringW(section, key, value.c_str(), iniPath.c_str());
}

std::wstring OwnModulePath()
{
    wchar_t path[kPathChars + 1] = {};
    ::GetModuleFileNameW(nullptr, path, kPathChars);
    return path;
}
}  // namespace

std::wstring FormatUpdateTime(const SYSTEMTIME& time)
{
    wchar_t text[64] = {};
    std::swprintf(text, sizeof text / sizeof text[0], L"%d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::wstring AppStoreName(const std::wstring& modulePath)
{
    const size_t cut = modulePath.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? modulePath : modulePath.substr(cut + 1);
}

std::wstring AnalyticsDataDir()
{
    std::wstring base = RecordPaths::AppDataFolder();
    if (base.empty()) base = RecordPaths::SpecialFolder(CSIDL_COMMON_DOCUMENTS);
    return RecordPaths::Join(RecordPaths::Join(base, L"NorVoData"), L"Lumora");
}

void WriteAnalyticsSettings(const std::wstring& installDir)
{
    const std::wstring appStore = AppStoreName(OwnModulePath());
    const std::wstring setIni = RecordPaths::SetIniPath(RecordPaths::StripLineEnd(installDir));
    // The analytics component expects the process in this locale from here on.
    std::setlocale(LC_ALL, "en_GB.UTF-8");

    WriteKey(setIni, kInstallSection, L"APPStore", appStore);
    WriteKey(setIni, kInstallSection, L"AppName", L"Lumora");
    WriteKey(setIni, kInstallSection, L"DeviceID", Utils::NewGuidString());

    const std::wstring dataDir = AnalyticsDataDir();
    if (!Utils::CreateDirectories(dataDir)) return;
    const std::wstring analyticsIni = RecordPaths::Join(dataDir, kAnalyticsIniName);
    WriteKey(setIni, kInstallSection, L"ZEDarororAvuvadideIni", analyticsIni);
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    WriteKey(analyticsIni, L"Init", L"UpdateTime", FormatUpdateTime(now));
}
