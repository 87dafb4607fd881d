#include "CDownloadInstaller.h"

#include "CInstaller.h"
#include "UnInstaller.h"
#include "Utils/FileSystem.h"
#include "Utils/TextConvert.h"
#include "Utils/Thread.h"
#include "app/DiagnosticLog.h"
#include "download/CDownloader.h"
#include "download/DownloaderFactory.h"

#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <exception>
#include <functional>
#include <vector>

namespace {

const wchar_t kProductName[] = L"Lumora";
const wchar_t kProductExe[] = L"lumora.exe";
const wchar_t kUninstallerCopyName[] = L"Lumora_un_asa.exe";
// The progress a stage's failure report carries when the stage never ran.
const double kNotStarted = 2.0;
const DWORD kProductPollMs = 100;

// The sequencer whose report the calling thread is handling, if any.
thread_local const CDownloadInstaller* t_reporting = nullptr;

// The package file removed last, across attempts: the next removal deletes it
// again in case it was still locked then.
std::mutex g_lastRemovedLock;
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

// A package that has just ended may still hold its file for a moment, and a
// running program's file cannot be deleted: give it a few seconds to go
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

// The package and what its download may leave beside it: the single-stream
// downloader's partial file and the multi-part downloader's part files.
void DeletePackageFiles(const std::wstring& package, bool waitForRelease)
{
    if (waitForRelease) {
        DeleteWhenReleased(package);
    } else {
        ::DeleteFileW(package.c_str());
    }
    for (const wchar_t* suffix : {L".part", L"_0", L"_1"}) ::DeleteFileW((package + suffix).c_str());
}

// Runs start; false, with the reason logged, when something escaped it.
bool Attempted(const std::function<void()>& start, const wchar_t* what)
{
    try {
        start();
        return true;
    } catch (const std::exception& e) {
        LogLine(L"%s failed: %s", what, Utils::ToWide(e.what(), 0).c_str());
    } catch (...) {
        LogLine(L"%s failed", what);
    }
    return false;
}

}  // namespace

// One report being handled: the sequencer's lock, and whether the report
// still belongs to the running attempt of a sequencer that is not going away.
class CDownloadInstaller::ReportScope {
public:
    ReportScope(CDownloadInstaller& sequencer, uint64_t attempt)
        : lock_(sequencer.lock_),
          previous_(t_reporting),
          accepted_(!sequencer.stopping_ && attempt == sequencer.attempt_)
    {
        t_reporting = &sequencer;
    }
    ~ReportScope() { t_reporting = previous_; }
    ReportScope(const ReportScope&) = delete;
    ReportScope& operator=(const ReportScope&) = delete;

    explicit operator bool() const { return accepted_; }

private:
    std::lock_guard<std::recursive_mutex> lock_;
    const CDownloadInstaller* previous_;
    bool accepted_;
};

CDownloadInstaller::CDownloadInstaller(StatusCallback owner, const SequencerSettings& settings,
                                       const InstallAttempt& attempt)
    : owner_(std::move(owner)), settings_(settings), next_(attempt)
{
}

CDownloadInstaller::~CDownloadInstaller()
{
    if (t_reporting == this) LogLine(L"destroyed from inside its own report");
    RetireAttempt(true);
}

void CDownloadInstaller::Init(const InstallAttempt& attempt) { next_ = attempt; }

void CDownloadInstaller::Init(const std::wstring& downloadUrl, const std::wstring& registeredInstallPath,
                              const std::wstring& oldUninstallerPath, const std::wstring& installDir,
                              bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserIsAdmin,
                              bool processIsAdmin, const std::wstring& language)
{
    InstallAttempt attempt;
    attempt.downloadUrl = downloadUrl;
    attempt.registeredInstallPath = registeredInstallPath;
    attempt.oldUninstallerPath = oldUninstallerPath;
    attempt.installDir = installDir;
    attempt.desktopShortcut = desktopShortcut;
    attempt.quickLaunchShortcut = quickLaunchShortcut;
    attempt.consoleUserIsAdmin = consoleUserIsAdmin;
    attempt.processIsAdmin = processIsAdmin;
    attempt.language = language;
    Init(attempt);
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

void CDownloadInstaller::RetireAttempt(bool stopping)
{
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        ++attempt_;
        if (stopping) stopping_ = true;
    }
    if (stopWaiting_) ::SetEvent(stopWaiting_.Get());
    // Each joins its worker; what they report meanwhile is dropped.
    productWait_.reset();
    downloader_.reset();
    installer_.reset();
    uninstaller_.reset();
    stopWaiting_.Reset();
    // Nothing of that attempt runs any more, so nothing it downloaded is of use.
    if (!packagePath_.empty()) DeletePackageFiles(packagePath_, false);
}

void CDownloadInstaller::Forward(int32_t code, double progress, const wchar_t* text)
{
    // The owner's failure must not end the stage that reported.
    try {
        owner_(code, progress, text);
    } catch (const std::exception& e) {
        LogLine(L"the owner failed on report %d: %s", code, Utils::ToWide(e.what(), 0).c_str());
    } catch (...) {
        LogLine(L"the owner failed on report %d", code);
    }
}

void CDownloadInstaller::EndWithFailure(int32_t code)
{
    LogLine(L"%s: the stage could not be started", StatusCodeName(code));
    Forward(code, kNotStarted, L"");
    if (code == DL_CODE_FAIL || code == IST_CODE_FAIL) RemovePackage();
}

void CDownloadInstaller::Start()
{
    if (t_reporting == this) {
        // The stages of this attempt would be destroyed from their own threads.
        LogLine(L"Start refused: called from inside a report");
        return;
    }
    RetireAttempt(false);
    uint64_t attempt = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        attempt = attempt_;
        current_ = next_;
        packagePath_ = PackagePathFor(current_.installDir);
    }
    LogRaw(L"DL_TYPE=%d\r\n", settings_.downloadType);

    // The handlers are written here so their log lines carry this function's tag.
    StatusCallback onInstall = [this, attempt](int32_t code, double progress, const wchar_t* text) {
        ReportScope report(*this, attempt);
        if (!report) return;
        Forward(code, progress, text);
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
    StatusCallback onDownload = [this, attempt](int32_t code, double progress, const wchar_t* text) {
        ReportScope report(*this, attempt);
        if (!report) return;
        Forward(code, progress, text);
        switch (code) {
        case DL_CODE_START:
            Utils::CreateDirectories(current_.installDir);
            LogRaw(L"DL_CODE_START\r\n");
            break;
        case DL_CODE_PROGRESS:
            LogRaw(L"DL_CODE_PROGRESS\r\n");
            break;
        case DL_CODE_SUCCESS:
            LogRaw(L"DOWNLOAD_SUCCESS\r\n");
            if (!Attempted([this] { installer_->Start(); }, L"CInstaller::Start")) EndWithFailure(IST_CODE_FAIL);
            LogRaw(L"DL_CODE_SUCCESS\r\n");
            break;
        case DL_CODE_FAIL:
            RemovePackage();
            LogRaw(L"DL_CODE_FAIL\r\n");
            break;
        case DL_CODE_RETRY:
            LogRaw(L"DL_CODE_RETRY\r\n");
            // On the reporting thread; the downloader does not wait for itself.
            if (!Attempted([this] { downloader_->Start(); }, L"CDownloader::Start")) EndWithFailure(DL_CODE_FAIL);
            break;
        default:
            break;
        }
    };
    StatusCallback onUninstall = [this, attempt](int32_t code, double progress, const wchar_t* text) {
        ReportScope report(*this, attempt);
        if (!report) return;
        Forward(code, progress, text);
        switch (code) {
        case UNIST_CODE_PROGRESS:
            LogRaw(L"UNIST_CODE_PROGRESS\r\n");
            break;
        case UNIST_CODE_SUCCESS:
            LogRaw(L"UNIST_CODE_SUCCESS\r\n");
            if (installer_ && !Attempted([this] { downloader_->Start(); }, L"CDownloader::Start"))
                EndWithFailure(DL_CODE_FAIL);
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

    const bool uninstallDue =
        !current_.oldUninstallerPath.empty() && ::PathFileExistsW(current_.oldUninstallerPath.c_str());
    const bool started = Attempted(
        [&] {
            MakeStages(onDownload, onInstall);
            if (uninstallDue) {
                StartUninstall(attempt, onUninstall);
            } else {
                downloader_->Start();
            }
        },
        L"CDownloadInstaller::Start");
    if (!started) {
        ReportScope report(*this, attempt);
        if (report) EndWithFailure(uninstallDue ? UNIST_CODE_FAIL : DL_CODE_FAIL);
    }
}

void CDownloadInstaller::MakeStages(const StatusCallback& onDownload, const StatusCallback& onInstall)
{
    downloader_ =
        CreateDownloader(settings_.Download(), onDownload, current_.downloadUrl.c_str(), packagePath_.c_str());
    installer_.reset(new CInstaller(onInstall, L"\"" + packagePath_ + L"\"", current_.installDir,
                                    current_.quickLaunchShortcut, current_.desktopShortcut,
                                    current_.consoleUserIsAdmin));
    installer_->SetProcessIsAdmin(current_.processIsAdmin);
    installer_->SetLanguage(current_.language);
    installer_->SetExtraArguments(settings_.instCmd);
}

void CDownloadInstaller::StartUninstall(uint64_t attempt, const StatusCallback& onUninstall)
{
    const std::wstring copyPath = UninstallerCopyPath();
    const std::wstring oldInstallDir = ParentFolder(current_.oldUninstallerPath);
    // A failed copy shows up as the driver's "uninstaller missing" report.
    ::CopyFileW(current_.oldUninstallerPath.c_str(), copyPath.c_str(), FALSE);
    uninstaller_.reset(new UnInstaller(onUninstall, copyPath, oldInstallDir));
    if (!settings_.insNew) {
        uninstaller_->Start();
        return;
    }
    // The product may run for hours: wait on a worker of our own, never on
    // the owner's thread, and let a retired attempt end the wait.
    stopWaiting_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool waiting = false;
    if (stopWaiting_) {
        productWait_ = std::make_unique<Utils::Thread>(
            [this, attempt](void*) { return WaitForProductThenUninstall(attempt); }, nullptr, L"UnInstaller");
        waiting = productWait_->Resume();
    }
    if (!waiting) {
        ReportScope report(*this, attempt);
        if (report) EndWithFailure(UNIST_CODE_FAIL);
    }
}

uint32_t CDownloadInstaller::WaitForProductThenUninstall(uint64_t attempt)
{
    bool started = Attempted(
        [&] {
            while (FindProcessId(kProductExe) != 0) {
                if (::WaitForSingleObject(stopWaiting_.Get(), kProductPollMs) == WAIT_OBJECT_0) return;
            }
            ReportScope report(*this, attempt);
            if (report) uninstaller_->Start();
        },
        L"the wait for the product");
    if (!started) {
        ReportScope report(*this, attempt);
        if (report) EndWithFailure(UNIST_CODE_FAIL);
    }
    return 0;
}

void CDownloadInstaller::RemovePackage()
{
    DeletePackageFiles(packagePath_, true);
    std::lock_guard<std::mutex> lock(g_lastRemovedLock);
    std::wstring& last = LastRemovedPackage();
    if (!last.empty() && last != packagePath_) DeletePackageFiles(last, false);
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
