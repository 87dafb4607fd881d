#include "CInstaller.h"

#include "OutputLines.h"
#include "app/DiagnosticLog.h"

using OutputProtocol::KeyRule;
using OutputProtocol::LineOutcome;
using OutputProtocol::SetReport;

namespace {

const wchar_t kExePathKey[] = L"ExePath=";

// A key whose value is a text passed on as it stands.
template <int32_t Code>
void TextRule(const std::wstring& rest, CInstaller::OutputState&, LineOutcome& outcome)
{
    SetReport(outcome, Code, 0.0, OutputProtocol::TextValue(rest));
}

// A key whose integer value is passed on read as an unsigned 32-bit number.
template <int32_t Code>
void UnsignedRule(const std::wstring& rest, CInstaller::OutputState&, LineOutcome& outcome)
{
    uint32_t value = static_cast<uint32_t>(OutputProtocol::IntOrZero(rest));
    SetReport(outcome, Code, static_cast<double>(value));
}

void ProgressRule(const std::wstring& rest, CInstaller::OutputState&, LineOutcome& outcome)
{
    SetReport(outcome, IST_CODE_PROGRESS, OutputProtocol::DoubleOrZero(rest));
}

void StateRule(const std::wstring& rest, CInstaller::OutputState&, LineOutcome& outcome)
{
    OutputProtocol::ApplyState(rest, outcome, IST_CODE_SUCCESS, IST_CODE_FAIL, L"安装包安装失败");
}

// "%d.%d.%d": every number that scans is taken, up to the first that does not.
void InstallVersionRule(const std::wstring& rest, CInstaller::OutputState& state, LineOutcome&)
{
    const wchar_t* cursor = rest.c_str();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*cursor != L'.') return;
            ++cursor;
        }
        if (!OutputProtocol::ScanInt(cursor, state.installedVersion[i])) return;
    }
}

void ErrorRule(const std::wstring& rest, CInstaller::OutputState&, LineOutcome& outcome)
{
    SetReport(outcome, IST_CODE_FAIL, 1000.0, OutputProtocol::TextValue(rest));
    outcome.result = OutputProtocol::kResultFailure;
}

void StartupStyleRule(const std::wstring& rest, CInstaller::OutputState&, LineOutcome& outcome)
{
    std::wstring word = OutputProtocol::KeywordValue(rest);
    double style = word == L"AutoStartup" ? 1.0 : word == L"UserStartup" ? 2.0 : 0.0;
    SetReport(outcome, PKG_STARTUP_STYLE, style);
}

// A number that names no code page this system can decode would turn every
// later line into empty text: the code page in force stays.
void EncodeRule(const std::wstring& rest, CInstaller::OutputState& state, LineOutcome&)
{
    std::wstring word = OutputProtocol::KeywordValue(rest);
    int32_t codePage = word == L"UTF8" ? 65001 : word == L"ACP" ? 0 : OutputProtocol::IntOrZero(word);
    if (OutputLines::IsUsableCodePage(codePage)) state.codePage = codePage;
}

// In test order: the first key that begins a line decides.
const KeyRule<CInstaller::OutputState> kPackageRules[] = {
    {L"Progress=", ProgressRule},
    {L"InstPath=", TextRule<PKG_INSTALL_PATH>},
    {L"State=", StateRule},
    {L"InstallVersion=", InstallVersionRule},
    {kExePathKey, TextRule<PKG_EXE_PATH>},
    {L"StartExe=", TextRule<PKG_EXE_PATH>},
    {L"UninstExePath=", TextRule<PKG_UNINSTALLER_PATH>},
    {L"UninstExe=", TextRule<PKG_UNINSTALLER_PATH>},
    {L"UninstEp=", TextRule<PKG_UNINSTALL_ENTRY>},
    {L"Error=", ErrorRule},
    {L"TopShowDetention=", UnsignedRule<PKG_TOP_SHOW_DELAY>},
    {L"FinsihCloseDetention=", UnsignedRule<PKG_CLOSE_DELAY>},
    {L"StartUrl=", TextRule<PKG_START_URL>},
    {L"StartupStyle=", StartupStyleRule},
    {L"Encode=", EncodeRule},
    {L"Message=", TextRule<PKG_MESSAGE>},
};

const wchar_t* TrueFalse(bool value) { return value ? L"true" : L"false"; }

const DriverRun::Codes kPackageCodes = {IST_CODE_SUCCESS, IST_CODE_FAIL, L"安装包安装失败", IST_CODE_FAIL};

}  // namespace

CInstaller::CInstaller(StatusCallback callback, const std::wstring& packagePath, const std::wstring& installDir,
                       bool quickLaunchShortcut, bool desktopShortcut, bool consoleUserIsAdmin)
    : callback_(std::move(callback)),
      packagePath_(packagePath),
      installDir_(installDir),
      quickLaunchShortcut_(quickLaunchShortcut),
      desktopShortcut_(desktopShortcut),
      consoleUserIsAdmin_(consoleUserIsAdmin)
{
}

CInstaller::~CInstaller() { worker_.reset(); }

std::wstring CInstaller::BuildCommandLine() const
{
    std::wstring line = packagePath_;
    line += L" /S -console=show -version=1.0.0";
    line += std::wstring(L" -adminact=") + TrueFalse(consoleUserIsAdmin_);
    line += std::wstring(L" -authorizationact=") + TrueFalse(processIsAdmin_);
    line += std::wstring(L" -dsc=") + TrueFalse(desktopShortcut_);
    line += std::wstring(L" -ssc=") + TrueFalse(quickLaunchShortcut_);
    if (!language_.empty()) line += L" -inslang=\"" + language_ + L"\"";
    if (!extraArguments_.empty()) line += L" " + extraArguments_;
    if (!installDir_.empty()) {
        line += L" -instdir=\"" + installDir_ + L"\"";
        line += L" /D=" + installDir_;
    }
    return line;
}

void CInstaller::Start()
{
    // The earlier run is over before its command line is replaced.
    worker_.reset();
    commandLine_ = BuildCommandLine();
    if (!DriverRun::StartWorker(workerFactory_, worker_, [this](void*) { return Run(); }, L"ABDEF"))
        callback_(IST_CODE_FAIL, 2.0, L"");
}

uint32_t CInstaller::Run()
{
    DriverRun run(callback_, kPackageCodes);
    run.Guard([&] {
        callback_(IST_CODE_START, 0.0, L"");
        callback_(IST_CODE_PROGRESS, 0.0, L"");
        run.Execute(commandLine_, state_.codePage,
                    [this](const std::wstring& line) { return Parse(line, state_); });
    });
    return 0;
}

int32_t CInstaller::Parse(const std::wstring& chunk) { return Parse(chunk, state_, callback_); }

int32_t CInstaller::Parse(const std::wstring& chunk, OutputState& state, const StatusCallback& report)
{
    return OutputProtocol::Deliver(Parse(chunk, state), report);
}

std::vector<LineOutcome> CInstaller::Parse(const std::wstring& text, OutputState& state)
{
    std::vector<LineOutcome> outcomes = OutputProtocol::InterpretChunk(
        text, kPackageRules, sizeof(kPackageRules) / sizeof(kPackageRules[0]), state);
    for (const LineOutcome& outcome : outcomes)
        if (outcome.key == kExePathKey) LogRaw(L"ExePath: %s", outcome.text.c_str());
    return outcomes;
}
