#include "ChildProcess.h"

#include "Utils/Exception.h"
#include "Utils/TextConvert.h"

#include <cstring>

ChildProcess::ChildProcess() { std::memset(commandLine_, 0, sizeof(commandLine_)); }

ChildProcess::~ChildProcess() { Release(); }

std::unique_ptr<ChildProcess> ChildProcess::Launch(const std::wstring& commandLine)
{
    std::unique_ptr<ChildProcess> runner(new ChildProcess());
    runner->OpenPipes();
    runner->Start(commandLine);
    return runner;
}

void ChildProcess::OpenPipes()
{
    errorPipe_.Open();
    outputPipe_.Open();
    inputPipe_.Open();
}

void ChildProcess::Start(const std::wstring& commandLine)
{
    // A cut command line would run the child with other switches than meant.
    if (commandLine.size() >= kCommandLineCapacity) throw Utils::Exception();
    std::memset(commandLine_, 0, sizeof(commandLine_));
    commandLine.copy(commandLine_, commandLine.size());

    // The owner's ends stay in the owner.
    ::SetHandleInformation(outputPipe_.ReadEnd(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errorPipe_.ReadEnd(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(inputPipe_.WriteEnd(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = inputPipe_.ReadEnd();
    startup.hStdOutput = outputPipe_.WriteEnd();
    startup.hStdError = errorPipe_.WriteEnd();
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, commandLine_, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        throw Utils::Exception();
    process_.Reset(info.hProcess);
    thread_.Reset(info.hThread);
    processId_ = info.dwProcessId;
    threadId_ = info.dwThreadId;

    // Only the child holds these now, so the output pipe breaks once it ends.
    outputPipe_.CloseWriteEnd();
    errorPipe_.CloseWriteEnd();
    inputPipe_.CloseReadEnd();
    errorDrain_.reset(new PipeDrain(errorPipe_.ReadEnd()));
}

std::wstring ChildProcess::DecodeChunk(const char* bytes, size_t count, int32_t codePage)
{
    size_t length = 0;
    while (length < count && bytes[length] != '\0') ++length;
    return Utils::ToWide(std::string(bytes, length), static_cast<unsigned>(codePage));
}

bool ChildProcess::ReadChunk(int32_t codePage, std::wstring& text)
{
    char buffer[kChunkBytes];
    std::memset(buffer, 0, sizeof(buffer));
    DWORD count = 0xFFFFFFFF;
    BOOL ok = ::ReadFile(outputPipe_.ReadEnd(), buffer, sizeof(buffer), &count, nullptr);
    if (!ok && count == 0) return false;
    size_t got = count <= sizeof(buffer) ? count : 0;
    text = DecodeChunk(buffer, got, codePage);
    return true;
}

bool ChildProcess::Running() const
{
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return code == STILL_ACTIVE;
}

bool ChildProcess::InstallReadLoop(const int32_t& codePage, const ChunkParser& parse)
{
    bool ended = false;
    for (;;) {
        std::wstring text;
        if (ReadChunk(codePage, text) && parse(text) != 0) return false;
        if (ended) return true;
        ended = !Running();
        ::Sleep(100);
    }
}

bool ChildProcess::UninstallReadLoop(const int32_t& codePage, const ChunkParser& parse)
{
    bool success = true;
    while (Running()) {
        std::wstring text;
        if (!ReadChunk(codePage, text)) {
            // The pipe is gone while the child still runs: nothing will come,
            // so wait for the end without spinning.
            ::Sleep(10);
            continue;
        }
        if (parse(text) != 0) success = false;
    }
    return success;
}

void ChildProcess::WaitForExit()
{
    if (!process_) return;
    PipeDrain outputDrain(outputPipe_.ReadEnd());
    ::WaitForSingleObject(process_.Get(), INFINITE);
}

void ChildProcess::Release()
{
    thread_.Reset();
    process_.Reset();
    errorDrain_.reset();  // before the pipe end it reads is closed
    inputPipe_.Close();
    outputPipe_.Close();
    errorPipe_.Close();
}
