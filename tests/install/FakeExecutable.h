#pragma once
// A copy of one of the stand-in programs (fake_package, fake_uninstaller,
// fake_product from the build's bin folder) placed where a test wants it,
// with its script written beside it and what it recorded read back.

#include <windows.h>

#include <string>

namespace InstallTest {

class FakeExecutable {
public:
    // Copies BinDir()\<program>.exe to path.
    FakeExecutable(const std::wstring& program, const std::wstring& path);
    // The stand-in already at path (or none there), without copying anything;
    // forgets what an earlier run there recorded.
    static FakeExecutable At(const std::wstring& path);

    const std::wstring& Path() const { return path_; }
    bool Placed() const { return placed_; }
    // Script lines as FakeScript reads them (LF-separated directives).
    void Script(const std::string& lines) const;
    // The command line it was started with (empty when it never ran).
    std::wstring RecordedCommandLine() const;
    DWORD RecordedProcessId() const;
    bool Ran() const;

private:
    explicit FakeExecutable(const std::wstring& path) : path_(path) {}

    std::wstring path_;
    bool placed_ = false;
};

// Whether the process exists and has not ended.
bool ProcessRuns(DWORD processId);
// Waits (bounded) for a process to be gone; true when it ended in time or no
// longer exists.
bool WaitForProcessEnd(DWORD processId, unsigned long timeoutMs = 60000);

}  // namespace InstallTest
