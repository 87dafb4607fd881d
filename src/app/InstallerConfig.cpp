#include "InstallerConfig.h"

#include "CommandLineSwitches.h"
#include "Utils/HostProbes.h"

#include <windows.h>
#include <shlwapi.h>

#include <cmath>
#include <cwctype>

namespace {
const wchar_t kSection[] = L"Install";
const DWORD kValueChars = 260;

std::wstring CurrentOsLabel()
{
    std::wstring product, label;
    Utils::GetOsVersionName(product, label);
    return label;
}

std::wstring RunningExePath()
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n);
}

std::wstring ReadString(const std::wstring& ini, const wchar_t* key, const wchar_t* fallback)
{
    wchar_t value[kValueChars] = {};
    ::GetPrivateProfileStringW(kSection, key, fallback, value, kValueChars, ini.c_str());
    return value;
}

// Leading white space, an optional sign, then a digit or a point and a digit.
bool StartsWithNumber(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    if (i < text.size() && text[i] == L'.') ++i;
    return i < text.size() && text[i] >= L'0' && text[i] <= L'9';
}

}  // namespace

// Touching the record here builds it (and reads the config file) during
// static initialisation, before the entry runs.
static InstallerConfig& g_staticInit = InstallerConfig::Instance();

InstallerConfig& InstallerConfig::Instance()
{
    static InstallerConfig config;
    return config;
}

InstallerConfig::InstallerConfig(const std::wstring& osLabel) : osLabel_(osLabel)
{
    SetDownloadUrl(kDefaultPackageUrl);
}

InstallerConfig::InstallerConfig() : InstallerConfig(CurrentOsLabel())
{
    ReadConfigFile(ConfigPathFor(RunningExePath()));
}

std::wstring InstallerConfig::ConfigPathFor(const std::wstring& exePath)
{
    size_t slash = exePath.find_last_of(L"\\/");
    std::wstring dir = slash == std::wstring::npos ? std::wstring() : exePath.substr(0, slash);
    return dir + L"\\" + kConfigFileName;
}

std::wstring InstallerConfig::ResolveDownloadUrl(const std::wstring& urlTemplate, const std::wstring& osLabel)
{
    static const std::wstring kPlaceholder = L"${ROUTE}";
    if (urlTemplate.find(kPlaceholder) == std::wstring::npos) return urlTemplate;
    const std::wstring route = osLabel.find(L"XP") != std::wstring::npos ? L"download_silent_xp" : L"download_silent";
    std::wstring url = urlTemplate;
    size_t pos;
    while ((pos = url.find(kPlaceholder)) != std::wstring::npos) url.replace(pos, kPlaceholder.size(), route);
    return url;
}

bool InstallerConfig::IsSoundScale(double scale) { return std::isfinite(scale) && scale >= 0.0 && scale <= 1.0; }

void InstallerConfig::SetDownloadUrl(const std::wstring& urlTemplate)
{
    DownloadUrl = ResolveDownloadUrl(urlTemplate, osLabel_);
}

void InstallerConfig::ReadConfigFile(const std::wstring& iniPath)
{
    if (!::PathFileExistsW(iniPath.c_str())) return;
    SetDownloadUrl(ReadString(iniPath, L"DownloadUrl", kDefaultPackageUrl));
    DownloadType = static_cast<int>(::GetPrivateProfileIntW(kSection, L"DownloadType", 1, iniPath.c_str()));
    IsCheckNet = SettingText::ToBool(ReadString(iniPath, L"IsCheckNet", L"true"));
    IsEnableAppSensors = SettingText::ToBool(ReadString(iniPath, L"IsEnableAppSensors", L"true"));
    DlAppNameSuffix = ReadString(iniPath, L"DlAppNameSuffix", L".downloader");
    DlAppVersion = ReadString(iniPath, L"m_DlAppVersion", L"");
    // Text with no number gives 0; a number outside 0..1, or one too large
    // for a double, would push the bar past its ends and keeps the default.
    const std::wstring scaleText = ReadString(iniPath, L"DownloadScale", L"0.7");
    double scale = 0.0;
    bool parsed = SettingText::ToDouble(scaleText, scale);
    if (parsed ? IsSoundScale(scale) : !StartsWithNumber(scaleText)) DownloadScale = scale;
    InstCmd = ReadString(iniPath, L"InstCmd", L"");
}

void InstallerConfig::ApplyCommandLine(const std::wstring& commandLine)
{
    ApplySwitches(CommandLineSwitches::FromCommandLine(commandLine));
}

void InstallerConfig::ApplySwitches(const CommandLineSwitches& s)
{
    if (s.Has(L"-downloadurl")) SetDownloadUrl(s.String(L"-downloadurl"));
    if (s.Has(L"-downloadtype")) DownloadType = SettingText::ToIntOrZero(s.String(L"-downloadtype"));
    // A scale that is no usable number, or lies outside 0..1, keeps what the
    // defaults and the config file gave.
    double scale = 0.0;
    if (s.Has(L"-downloadscale") && SettingText::ToDouble(s.String(L"-downloadscale"), scale) && IsSoundScale(scale)) {
        DownloadScale = scale;
    }
    if (s.Has(L"-ischecknet")) IsCheckNet = SettingText::ToBool(s.String(L"-ischecknet"));
    if (s.Has(L"-isenableappsensors")) IsEnableAppSensors = SettingText::ToBool(s.String(L"-isenableappsensors"));
    if (s.Has(L"-dlappnamesuffix")) DlAppNameSuffix = s.String(L"-dlappnamesuffix");
    if (s.Has(L"-dlappversion")) DlAppVersion = s.String(L"-dlappversion");
    if (s.Has(L"-instcmd")) InstCmd = s.String(L"-instcmd");
    if (s.Has(L"-language")) Language = SettingText::ToIntOrZero(s.String(L"-language"));
    if (s.Has(L"-insnew")) InsNew = SettingText::ToBool(s.String(L"-insnew"));
}
