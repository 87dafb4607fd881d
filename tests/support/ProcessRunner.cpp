#include "ProcessRunner.h"

#include "Utils/UniqueResource.h"

#include <windows.h>

#include <thread>
#include <vector>

namespace TestSupport {

ProcessResult RunProcess(const std::wstring& commandLine, unsigned long timeoutMs)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    Utils::UniqueHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &inherit, 0)) return result;
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    std::vector<wchar_t> text(commandLine.begin(), commandLine.end());
    text.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, text.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                          &pi))
        return result;
    Utils::UniqueHandle process(pi.hProcess);
    Utils::UniqueHandle thread(pi.hThread);
    writeEnd.Reset();  // the child holds the only write end now
    result.started = true;

    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
            result.output.append(buffer, got);
    });
    if (::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 99);
        result.timedOut = true;
    } else {
        ::GetExitCodeProcess(process.Get(), &result.exitCode);
    }
    reader.join();
    return result;
}

}  // namespace TestSupport
