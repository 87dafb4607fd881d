#include "CDownloadInstaller.h"

#include "CInstaller.h"
#include "UnInstaller.h"
#include "Utils/FileSystem.h"
#include "Utils/UniqueResource.h"
#include "app/DiagnosticLog.h"
#include "app/InstallerConfig.h"
#include "download/CDownloader.h"
#include "download/DownloaderFactory.h"

#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <vector>

namespace {

const wchar_t kProductName[] = L"Lumora";
const wchar_t kProductExe[] = L"lumora.exe";
const wchar_t kUninstallerCopyName[] = L"Lumora_un_asa.exe";

// The package file removed last, across attempts: the next removal deletes it
// again in case it was still locked then.
std::wstring& LastRemovedPackage()
{
    static std::wstring path;  // initialised once, thread-safe
    return path;
}

std::wstring ParentFolder(const std::wstring& path)
{
    std::vector<wchar_t> copy(MAX_PATH + 1, L'\0');
    path.copy(copy.data(), MAX_PATH);
    ::PathRemoveFileSpecW(copy.data());
    return copy.data();
}

// The package reports its final state while its process is still ending, and
// a running program's file cannot be deleted: give it a few seconds to go
// rather than leave tens of megabytes in the install folder.
bool DeleteWhenReleased(const std::wstring& path)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::DeleteFileW(path.c_str())) return true;
        DWORD error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
        ::Sleep(100);
    }
    return false;
}

}  // namespace

CDownloadInstaller::CDownloadInstaller(StatusCallback owner, const std::wstring& downloadUrl,
                                       const std::wstring& oldUninstallerPath, const std::wstring& installDir,
                                       bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserIsAdmin)
    : downloadUrl_(downloadUrl),
      oldUninstallerPath_(oldUninstallerPath),
      installDir_(installDir),
      desktopShortcut_(desktopShortcut),
      quickLaunchShortcut_(quickLaunchShortcut),
      consoleUserIsAdmin_(consoleUserIsAdmin),
      owner_(std::move(owner))
{
}

CDownloadInstaller::~CDownloadInstaller()
{
    downloader_.reset();
    installer_.reset();    // joins its worker
    uninstaller_.reset();  // joins its worker
}

void CDownloadInstaller::Init(const std::wstring& downloadUrl, const std::wstring& /*registeredInstallPath*/,
                              const std::wstring& oldUninstallerPath, const std::wstring& installDir,
                              bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserIsAdmin,
                              bool processIsAdmin, const std::wstring& language)
{
    downloadUrl_ = downloadUrl;
    oldUninstallerPath_ = oldUninstallerPath;
    installDir_ = installDir;
    desktopShortcut_ = desktopShortcut;
    quickLaunchShortcut_ = quickLaunchShortcut;
    consoleUserIsAdmin_ = consoleUserIsAdmin;
    processIsAdmin_ = processIsAdmin;
    language_ = language;
}

std::wstring CDownloadInstaller::PackagePathFor(const std::wstring& installDir)
{
    return installDir + L"\\__Package_" + kProductName + L".exe";
}

std::wstring CDownloadInstaller::UninstallerCopyPath()
{
    std::wstring dir = Utils::GetTempWorkDir();
    return dir.empty() ? std::wstring() : dir + L"\\" + kUninstallerCopyName;
}

void CDownloadInstaller::Start()
{
    packagePath_ = PackagePathFor(installDir_);
    const InstallerConfig& config = InstallerConfig::Instance();
    LogRaw(L"DL_TYPE=%d\r\n", config.DownloadType);

    // The handlers are written here so their log lines carry this function's tag.
    if (!downloader_) {
        StatusCallback onDownload = [this](int32_t code, double progress, const wchar_t* text) {
            owner_(code, progress, text);
            switch (code) {
            case DL_CODE_START:
                Utils::CreateDirectories(installDir_);
                LogRaw(L"DL_CODE_START\r\n");
                break;
            case DL_CODE_PROGRESS:
                LogRaw(L"DL_CODE_PROGRESS\r\n");
                break;
            case DL_CODE_SUCCESS:
                LogRaw(L"DOWNLOAD_SUCCESS\r\n");
                installer_->Start();
                LogRaw(L"DL_CODE_SUCCESS\r\n");
                break;
            case DL_CODE_FAIL:
                RemovePackage();
                LogRaw(L"DL_CODE_FAIL\r\n");
                break;
            case DL_CODE_RETRY:
                LogRaw(L"DL_CODE_RETRY\r\n");
                downloader_->Start();  // on the reporting thread; the downloader does not wait for itself
                break;
            default:
                break;
            }
        };
        DownloadSettings settings;
        settings.downloadType = config.DownloadType;
        settings.httpLibraryReady = config.HttpLibraryReady;
        downloader_ = CreateDownloader(settings, onDownload, downloadUrl_.c_str(), packagePath_.c_str());
    }
    if (!installer_) {
        StatusCallback onInstall = [this](int32_t code, double progress, const wchar_t* text) {
            owner_(code, progress, text);
            switch (code) {
            case IST_CODE_START:
                LogRaw(L"IST_CODE_START\r\n");
                break;
            case IST_CODE_PROGRESS:
                LogRaw(L"DL_CODE_SUCCESS\r\n");
                break;
            case IST_CODE_SUCCESS:
                RemovePackage();
                LogRaw(L"INSTALL_SUCCESS\r\n");
                break;
            case IST_CODE_FAIL:
                RemovePackage();
                LogRaw(L"IST_CODE_FAIL\r\n");
                break;
            default:
                break;
            }
        };
        installer_.reset(new CInstaller(onInstall, L"\"" + packagePath_ + L"\"", installDir_, quickLaunchShortcut_,
                                        desktopShortcut_, consoleUserIsAdmin_));
    }
    installer_->SetDesktopShortcut(desktopShortcut_);
    installer_->SetQuickLaunchShortcut(quickLaunchShortcut_);
    installer_->SetConsoleUserIsAdmin(consoleUserIsAdmin_);
    installer_->SetProcessIsAdmin(processIsAdmin_);
    installer_->SetInstallDir(installDir_);
    installer_->SetLanguage(language_);
    installer_->SetExtraArguments(config.InstCmd);

    if (!oldUninstallerPath_.empty() && ::PathFileExistsW(oldUninstallerPath_.c_str())) {
        StartUninstall();
        return;
    }
    downloader_->Start();
}

void CDownloadInstaller::StartUninstall()
{
    const std::wstring copyPath = UninstallerCopyPath();
    const std::wstring oldInstallDir = ParentFolder(oldUninstallerPath_);
    // A failed copy shows up as the driver's "uninstaller missing" report.
    ::CopyFileW(oldUninstallerPath_.c_str(), copyPath.c_str(), FALSE);

    StatusCallback onUninstall = [this](int32_t code, double progress, const wchar_t* text) {
        owner_(code, progress, text);
        switch (code) {
        case UNIST_CODE_PROGRESS:
            LogRaw(L"UNIST_CODE_PROGRESS\r\n");
            break;
        case UNIST_CODE_SUCCESS:
            LogRaw(L"UNIST_CODE_SUCCESS\r\n");
            if (installer_) downloader_->Start();
            break;
        case UNIST_CODE_FAIL:
            LogRaw(L"UNIST_CODE_FAIL\r\n");
            break;
        case UNIST_CODE_ERROR:
            LogRaw(L"UNIST_CODE_ERROR\r\n");
            break;
        default:
            break;
        }
    };
    // A replaced driver has reported its end; destroying it joins its worker.
    uninstaller_.reset(new UnInstaller(onUninstall, copyPath, oldInstallDir));

    if (InstallerConfig::Instance().InsNew) {
        while (FindProcessId(kProductExe) != 0) ::Sleep(100);
    }
    uninstaller_->Start();
}

void CDownloadInstaller::RemovePackage()
{
    DeleteWhenReleased(packagePath_);
    std::wstring& last = LastRemovedPackage();
    if (!last.empty()) ::DeleteFileW(last.c_str());
    last = packagePath_;
}

uint32_t CDownloadInstaller::FindProcessId(const std::wstring& exeName)
{
    Utils::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
         more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (::lstrcmpW(entry.szExeFile, exeName.c_str()) == 0) return entry.th32ProcessID;
    }
    return 0;
}
