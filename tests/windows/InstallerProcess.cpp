#include "InstallerProcess.h"

#include "support/TestFiles.h"

#include <future>

namespace InstallerTest {

namespace {

const wchar_t kScriptVariable[] = L"LUMORA_FAKE_SCRIPT";
const wchar_t kMainTitle[] = L"Lumora";
const wchar_t kPromptTitle[] = L"消息框";
// The exception by which a program names a thread for its debugger.
const DWORD kThreadNameException = 0x406D1388;

// This process's environment with the script variable replaced (or removed).
std::vector<wchar_t> ChildEnvironment(const std::wstring& script)
{
    std::vector<wchar_t> block;
    wchar_t* strings = ::GetEnvironmentStringsW();
    const std::wstring prefix = std::wstring(kScriptVariable) + L"=";
    for (const wchar_t* entry = strings; entry && *entry; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, prefix.c_str(), prefix.size()) == 0) continue;
        block.insert(block.end(), entry, entry + wcslen(entry) + 1);
    }
    if (strings) ::FreeEnvironmentStringsW(strings);
    if (!script.empty()) {
        std::wstring entry = prefix + script;
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    block.push_back(L'\0');
    return block;
}

struct WindowSearch {
    DWORD processId;
    std::vector<TopWindow> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !::IsWindowVisible(hwnd)) return TRUE;
    TopWindow window;
    window.hwnd = hwnd;
    wchar_t text[256] = {};
    // Read without a message: the installer's thread may be busy.
    ::InternalGetWindowText(hwnd, text, 255);
    window.title = text;
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 255);
    window.windowClass = name;
    search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::wstring InstallerPath() { return TestSupport::BinDir() + L"\\LumoraInstaller.exe"; }

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds)
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        if (done()) return true;
        ::Sleep(50);
    }
    return done();
}

InstallerProcess::InstallerProcess(const Options& options)
{
    if (!options.readLog) {
        Launch(options, 0);
        return;
    }
    // A debugger's events go to the thread that started the process.
    std::promise<void> launched;
    std::future<void> ready = launched.get_future();
    debugger_ = std::thread([this, options, &launched] {
        bool started = Launch(options, DEBUG_ONLY_THIS_PROCESS);
        launched.set_value();
        if (started) DebugLoop(options);
    });
    ready.wait();
}

InstallerProcess::~InstallerProcess()
{
    if (process_ && Running()) {
        ::TerminateProcess(process_.Get(), 99);
        ::WaitForSingleObject(process_.Get(), 10000);
    }
    if (debugger_.joinable()) debugger_.join();
}

bool InstallerProcess::Launch(const Options& options, DWORD creationFlags)
{
    std::wstring commandLine = L"\"" + InstallerPath() + L"\"";
    for (const std::wstring& option : options.switches) commandLine += L" " + option;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    std::vector<wchar_t> environment = ChildEnvironment(options.fakeScript);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags | CREATE_UNICODE_ENVIRONMENT,
                          environment.data(), nullptr, &startup, &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    processId_ = info.dwProcessId;
    return true;
}

void InstallerProcess::DebugLoop(const Options&)
{
    for (;;) {
        DEBUG_EVENT event{};
        if (!::WaitForDebugEvent(&event, 60000)) {
            if (!Running()) return;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) ::CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) ::CloseHandle(event.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            ReadDebugString(process_.Get(), event.dwThreadId, event.u.DebugString);
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The start-up breakpoint is the debugger's own; everything else
            // is the program's to handle, as without a debugger.
            if (event.u.Exception.ExceptionRecord.ExceptionCode == kThreadNameException) {
                ReadThreadName(process_.Get(), event.u.Exception.ExceptionRecord);
            }
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        default:
            break;
        }
        bool ended = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (ended) return;
    }
}

void InstallerProcess::ReadDebugString(HANDLE process, DWORD threadId, const OUTPUT_DEBUG_STRING_INFO& info)
{
    size_t units = info.nDebugStringLength;
    if (units == 0 || units > 65536) return;
    LogLine line;
    line.threadId = threadId;
    SIZE_T got = 0;
    if (info.fUnicode) {
        std::vector<wchar_t> text(units);
        if (!::ReadProcessMemory(process, info.lpDebugStringData, text.data(), units * sizeof(wchar_t), &got)) return;
        for (size_t i = 0; i < got / sizeof(wchar_t) && text[i]; ++i) line.text += text[i] < 128 ? char(text[i]) : '?';
    } else {
        std::vector<char> text(units);
        if (!::ReadProcessMemory(process, info.lpDebugStringData, text.data(), units, &got)) return;
        line.text.assign(text.data(), strnlen(text.data(), got));
    }
    std::lock_guard<std::mutex> hold(lock_);
    log_.push_back(line);
}

void InstallerProcess::ReadThreadName(HANDLE process, const EXCEPTION_RECORD& record)
{
    // {0x1000, name, thread id, flags}
    if (record.NumberParameters < 3 || record.ExceptionInformation[0] != 0x1000) return;
    char name[64] = {};
    SIZE_T got = 0;
    ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(record.ExceptionInformation[1]), name, sizeof(name) - 1,
                        &got);
    LogLine line;
    line.threadId = static_cast<DWORD>(record.ExceptionInformation[2]);
    line.threadName.assign(name, strnlen(name, got));
    std::lock_guard<std::mutex> hold(lock_);
    log_.push_back(line);
}

bool InstallerProcess::Running() const
{
    return process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> InstallerProcess::WaitForExit(DWORD milliseconds)
{
    if (!process_ || ::WaitForSingleObject(process_.Get(), milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return code;
}

std::vector<TopWindow> InstallerProcess::Windows() const
{
    WindowSearch search{processId_, {}};
    if (processId_ != 0) ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND InstallerProcess::MainWindow() const
{
    for (const TopWindow& window : Windows()) {
        if (window.title == kMainTitle) return window.hwnd;
    }
    return nullptr;
}

std::optional<TopWindow> InstallerProcess::Prompt() const
{
    for (const TopWindow& window : Windows()) {
        if (window.title == kPromptTitle) return window;
    }
    return std::nullopt;
}

DWORD InstallerProcess::UiThreadId() const
{
    HWND main = MainWindow();
    return main ? ::GetWindowThreadProcessId(main, nullptr) : 0;
}

std::vector<LogLine> InstallerProcess::Log() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return log_;
}

}  // namespace InstallerTest
