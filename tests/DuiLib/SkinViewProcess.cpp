#include "SkinViewProcess.h"

#include "support/TestFiles.h"

namespace TestSupport {

bool SkinViewProcess::Start(const std::wstring& arguments)
{
    std::wstring command = L"\"" + BinDir() + L"\\skinview.exe\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    process_.Reset(info.hProcess);
    ::CloseHandle(info.hThread);
    processId_ = info.dwProcessId;
    return true;
}

SkinViewProcess::~SkinViewProcess()
{
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.Get(), 99);
}

HWND SkinViewProcess::WaitForWindow(const std::function<bool(HWND)>& matches) const
{
    for (int attempt = 0; attempt < 300; ++attempt) {
        HWND found = FindWindowOfProcess(matches);
        if (found) return found;
        if (::WaitForSingleObject(process_.Get(), 100) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
}

long SkinViewProcess::WaitForExit() const
{
    if (::WaitForSingleObject(process_.Get(), 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return static_cast<long>(code);
}

HWND SkinViewProcess::FindWindowOfProcess(const std::function<bool(HWND)>& matches) const
{
    Search search{processId_, &matches, nullptr};
    ::EnumWindows(&SkinViewProcess::VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK SkinViewProcess::VisitWindow(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != s->processId || !::IsWindowVisible(hwnd) || !(*s->matches)(hwnd)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 255);
    return name;
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(hwnd, text, 511);
    return text;
}

}  // namespace TestSupport
