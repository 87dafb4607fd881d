#include "ChildProcess.h"

#include "OutputLines.h"
#include "Utils/Exception.h"

#include <algorithm>
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

namespace {
// How long the reader waits for the child when the pipe is empty; output
// arriving meanwhile waits at most this long, the child's end not at all.
const DWORD kIdleWaitMs = 10;
}  // namespace

bool ChildProcess::Ended() const { return ::WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }

// Never reads more than the pipe holds, so no read waits for a writer. Once
// the child is seen ended, everything it wrote is in the pipe: only that much
// is still read, whatever else keeps the pipe open or writes into it.
void ChildProcess::ReadToEnd(const ByteSink& take)
{
    char buffer[kReadBytes];
    bool ended = false;
    DWORD leftByChild = 0;
    for (;;) {
        bool endedNow = !ended && Ended();  // before the peek, so the peek sees all it wrote
        DWORD available = 0;
        if (!::PeekNamedPipe(outputPipe_.ReadEnd(), nullptr, 0, nullptr, &available, nullptr)) return;
        if (endedNow) {
            ended = true;
            leftByChild = available;
        }
        if (ended) {
            available = std::min(available, leftByChild);
            if (available == 0) return;
        }
        if (available == 0) {
            ::WaitForSingleObject(process_.Get(), kIdleWaitMs);
            continue;
        }
        DWORD got = 0;
        DWORD want = std::min(available, static_cast<DWORD>(sizeof(buffer)));
        if (!::ReadFile(outputPipe_.ReadEnd(), buffer, want, &got, nullptr)) return;
        if (ended) leftByChild -= std::min(got, leftByChild);
        take(buffer, got);
    }
}

bool ChildProcess::ReadLines(const int32_t& codePage, const LineParser& parse)
{
    OutputLines lines;
    bool finalWord = false;
    auto parseLine = [&](const std::string& bytes) {
        finalWord = parse(OutputLines::Decode(bytes, codePage)) != 0;
    };
    ReadToEnd([&](const char* bytes, size_t count) {
        if (finalWord) return;
        lines.Append(bytes, count);
        std::string line;
        while (!finalWord && lines.TakeLine(line)) parseLine(line);
    });
    std::string rest;
    if (!finalWord && lines.TakeRest(rest)) parseLine(rest);
    return finalWord;
}

void ChildProcess::DiscardOutput()
{
    ReadToEnd([](const char*, size_t) {});
}

void ChildProcess::WaitForExit()
{
    if (process_) ::WaitForSingleObject(process_.Get(), INFINITE);
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_.Get(), &code);
    return code;
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
