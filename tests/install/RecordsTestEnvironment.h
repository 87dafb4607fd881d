#pragma once
// Sets (or unsets) one environment variable of the test process and puts the
// old value back afterwards, so cases stay independent.

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace RecordsTest {

class ScopedEnvironmentVariable {
public:
    // A null value removes the variable.
    ScopedEnvironmentVariable(const wchar_t* name, const wchar_t* value) : name_(name)
    {
        const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
        if (needed != 0) {
            std::vector<wchar_t> old(needed + 1, L'\0');
            ::GetEnvironmentVariableW(name, old.data(), needed + 1);
            old_ = old.data();
            hadValue_ = true;
        }
        ::SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnvironmentVariable() { ::SetEnvironmentVariableW(name_.c_str(), hadValue_ ? old_.c_str() : nullptr); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::wstring name_;
    std::wstring old_;
    bool hadValue_ = false;
};

// A shell folder looked up through another call than the one under test.
inline std::wstring ShellFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

}  // namespace RecordsTest
