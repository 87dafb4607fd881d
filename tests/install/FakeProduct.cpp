// Stand-in for the installed product "lumora.exe": records its command line
// in "<own path>.cmdline" and keeps running until a file "<own path>.stop"
// appears. A "-lifetime=MS" switch (default two minutes) bounds its life, so
// a test that forgets it leaves nothing behind for long.
#include "FakeScript.h"
#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"

#include <windows.h>

#include <cwchar>
#include <vector>

int main()
{
    std::vector<wchar_t> buffer(32768);
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring self(buffer.data(), n);
    std::wstring commandLine = ::GetCommandLineW();

    std::string recorded = Utils::ToNarrow(commandLine, CP_UTF8);
    Utils::UniqueFile record(::CreateFileW((self + L".cmdline").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (record) ::WriteFile(record.Get(), recorded.data(), static_cast<DWORD>(recorded.size()), &written, nullptr);
    record.Reset();

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
