#include "UnInstaller.h"

#include "OutputProtocol.h"
#include "Utils/HostProbes.h"

#include <shlwapi.h>

using OutputProtocol::KeyRule;
using OutputProtocol::LineOutcome;
using OutputProtocol::SetReport;

namespace {

void ProgressRule(const std::wstring& rest, int32_t&, LineOutcome& outcome)
{
    SetReport(outcome, UNIST_CODE_PROGRESS, OutputProtocol::DoubleOrZero(rest));
}

void ErrorRule(const std::wstring& rest, int32_t&, LineOutcome& outcome)
{
    SetReport(outcome, UNIST_CODE_ERROR, 0.0, OutputProtocol::TextValue(rest));
    outcome.result = OutputProtocol::kResultFailure;
}

void StateRule(const std::wstring& rest, int32_t&, LineOutcome& outcome)
{
    OutputProtocol::ApplyState(rest, outcome, UNIST_CODE_SUCCESS, UNIST_CODE_ERROR, L"安装包卸载失败");
}

void EncodeRule(const std::wstring& rest, int32_t& codePage, LineOutcome&)
{
    codePage = OutputProtocol::KeywordValue(rest) == L"UTF8" ? 65001 : 0;
}

const KeyRule<int32_t> kUninstallerRules[] = {
    {L"Progress=", ProgressRule},
    {L"Error=", ErrorRule},
    {L"State=", StateRule},
    {L"Encode=", EncodeRule},
};

const wchar_t* TrueFalse(bool value) { return value ? L"true" : L"false"; }

const DriverRun::Codes kUninstallerCodes = {UNIST_CODE_SUCCESS, UNIST_CODE_ERROR, L"安装包卸载失败",
                                           UNIST_CODE_FAIL};

bool ConsoleUserIsAdmin()
{
    std::wstring name;
    Utils::GetConsoleUserName(name);
    return Utils::IsUserAdmin(name);
}

}  // namespace

UnInstaller::UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath,
                         const std::wstring& oldInstallDir)
    : callback_(std::move(callback)), uninstallerPath_(uninstallerPath), oldInstallDir_(oldInstallDir)
{
}

UnInstaller::~UnInstaller() { worker_.reset(); }

std::wstring UnInstaller::BuildCommandLine(const std::wstring& uninstallerPath, bool consoleUserIsAdmin,
                                           bool processIsAdmin, const std::wstring& oldInstallDir)
{
    // The whole line is built; one that does not fit the runner's buffer is
    // refused there, like a failed start.
    return L"\"" + uninstallerPath + L"\" /S -adminact=" + TrueFalse(consoleUserIsAdmin) + L" -authorizationact=" +
           TrueFalse(processIsAdmin) + L" -console=show _?=" + oldInstallDir;
}

void UnInstaller::Start()
{
    // A second start waits for the first run before it changes anything.
    worker_.reset();
    commandLine_ = BuildCommandLine(uninstallerPath_, ConsoleUserIsAdmin(), Utils::IsProcessAdmin(), oldInstallDir_);
    if (!DriverRun::StartWorker(workerFactory_, worker_, [this](void*) { return Run(); }, L"UnInstaller"))
        callback_(UNIST_CODE_FAIL, 2.0, L"");
}

uint32_t UnInstaller::Run()
{
    DriverRun run(callback_, kUninstallerCodes);
    run.Guard([&] {
        if (!::PathFileExistsW(uninstallerPath_.c_str())) {
            run.SendFinal(UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在");
            return;
        }
        callback_(UNIST_CODE_PROGRESS, 0.0, L"");
        run.Execute(commandLine_, codePage_, [this](const std::wstring& line) { return Parse(line, codePage_); });
    });
    return 0;
}

int32_t UnInstaller::Parse(const std::wstring& chunk) { return Parse(chunk, codePage_, callback_); }

int32_t UnInstaller::Parse(const std::wstring& chunk, int32_t& codePage, const StatusCallback& report)
{
    return OutputProtocol::Deliver(Parse(chunk, codePage), report);
}

std::vector<LineOutcome> UnInstaller::Parse(const std::wstring& text, int32_t& codePage)
{
    return OutputProtocol::InterpretChunk(text, kUninstallerRules,
                                          sizeof(kUninstallerRules) / sizeof(kUninstallerRules[0]), codePage);
}
