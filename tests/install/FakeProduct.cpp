// Stand-in for the installed product "lumora.exe": records its command line
// in "<own path>.cmdline" and its process id in "<own path>.pid", and keeps
// running until a file "<own path>.stop" appears. A "-lifetime=MS" switch
// (default two minutes) bounds its life, so a test that forgets it leaves
// nothing behind for long.
#include "FakeScript.h"
#include "Utils/TextConvert.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <cwchar>
#include <string>

int main()
{
    std::wstring self = FakeScript::OwnPath();
    std::wstring commandLine = ::GetCommandLineW();

    TestSupport::WriteBytes(self + L".cmdline", Utils::ToNarrow(commandLine, CP_UTF8));
    TestSupport::WriteBytes(self + L".pid", std::to_string(::GetCurrentProcessId()));

    std::wstring lifetime = FakeScript::ValueAfter(commandLine, L"-lifetime=");
    DWORD limit = lifetime.empty() ? 120000 : static_cast<DWORD>(std::wcstoul(lifetime.c_str(), nullptr, 10));
    std::wstring stopFile = self + L".stop";
    DWORD started = ::GetTickCount();
    while (::GetFileAttributesW(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - started >= limit) return 1;
        ::Sleep(50);
    }
    return 0;
}
