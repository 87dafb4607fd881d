#pragma once
// skinview.exe run as a child process under the display, and the top-level
// windows it shows.

#include "Utils/UniqueResource.h"

#include <windows.h>

#include <functional>
#include <string>

namespace TestSupport {

// One skinview process and its top-level windows.
class SkinViewProcess {
public:
    bool Start(const std::wstring& arguments);
    // Ends a process the test left running.
    ~SkinViewProcess();

    // A visible top-level window of the process matching the test, looked
    // for until the process has had a fair chance to show it.
    HWND WaitForWindow(const std::function<bool(HWND)>& matches) const;
    // Exit code, or -1 when it does not end.
    long WaitForExit() const;

private:
    struct Search {
        DWORD processId;
        const std::function<bool(HWND)>* matches;
        HWND found;
    };

    HWND FindWindowOfProcess(const std::function<bool(HWND)>& matches) const;
    static BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param);

    Utils::UniqueHandle process_;
    DWORD processId_ = 0;
};

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);

}  // namespace TestSupport
