#pragma once
// The process-wide settings: built-in defaults, then "NorvoInstallerConfig.ini"
// beside the executable (read during static initialisation), then the
// command-line switches applied once by the entry. Read-only afterwards except
// Language (UI thread) and HttpLibraryReady (entry).

#include <string>

class CommandLineSwitches;

class InstallerConfig {
public:
    static constexpr const wchar_t* kConfigFileName = L"NorvoInstallerConfig.ini";
    // Over TLS: the digest that vouches for the package travels in the address
    // the server redirects to, so it must not be open to change on the way.
    static constexpr const wchar_t* kDefaultPackageUrl = L"https://dl.norvosoft.com/software/511";

    // The process's record: defaults and the config file beside the running exe.
    static InstallerConfig& Instance();

    // Built-in defaults only, resolved against the given Windows version label.
    explicit InstallerConfig(const std::wstring& osLabel);

    void ReadConfigFile(const std::wstring& iniPath);
    void ApplyCommandLine(const std::wstring& commandLine);
    void ApplySwitches(const CommandLineSwitches& switches);
    void SetDownloadUrl(const std::wstring& urlTemplate);

    // The config file's path for an executable path.
    static std::wstring ConfigPathFor(const std::wstring& exePath);
    // "${ROUTE}" becomes the download route of the version label.
    static std::wstring ResolveDownloadUrl(const std::wstring& urlTemplate, const std::wstring& osLabel);
    // A share of the progress bar: a finite value from 0 to 1.
    static bool IsSoundScale(double scale);

    std::wstring DownloadUrl;
    int DownloadType = 1;
    bool IsCheckNet = false;
    double DownloadScale = 0.7;
    std::wstring InstCmd;
    int Language = -1;
    bool InsNew = false;
    bool HttpLibraryReady = true;

    // Read like the others; nothing in the installer acts on them.
    std::wstring DlAppNameSuffix = L".downloader";
    std::wstring DlAppVersion;
    bool IsEnableAppSensors = true;

private:
    InstallerConfig();  // the process's record

    std::wstring osLabel_;
};
