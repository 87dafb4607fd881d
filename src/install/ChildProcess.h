#pragma once
// One hidden console child with its three standard streams on anonymous
// pipes. The owner creates it, opens the pipes, starts it, reads its output
// line by line to its end, waits for it and releases it, all on one worker
// thread. The child's standard error is drained and discarded while it runs,
// and its standard output after the owner has its final word, so a child
// never blocks on a pipe nobody reads.

#include "PipeDrain.h"
#include "PipePair.h"
#include "Utils/UniqueResource.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class ChildProcess {
public:
    // The command line buffer holds this many characters and the terminator.
    static constexpr size_t kCommandLineCapacity = 1024;
    // At most this many bytes per read of the output pipe.
    static constexpr size_t kReadBytes = 4096;

    // Decoded text of one output line, without its LF; returns nonzero for a
    // final word.
    using LineParser = std::function<int32_t(const std::wstring& line)>;

    ChildProcess();
    // Creates a runner, opens its pipes and starts it; what was made is freed
    // before an exception (Utils::Exception, std::bad_alloc) leaves.
    static std::unique_ptr<ChildProcess> Launch(const std::wstring& commandLine);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Error, output, then input pipe. Throws Utils::Exception.
    void OpenPipes();
    // Throws Utils::Exception when the process cannot be created, and when the
    // command line does not fit the buffer (it is never cut).
    void Start(const std::wstring& commandLine);

    // Reads the output to its end and hands each line to parse, decoded in
    // codePage as it stands when that line comes (a line changing it affects
    // the lines after it); the unfinished last line is parsed at the end.
    // After the first nonzero answer, the final word, the rest is read and
    // discarded. The output ends when the pipe breaks, or once the child has
    // ended and what it wrote has been read: a program that inherited the
    // pipe from the child cannot hold the reader. A child that runs long
    // without writing is waited for. True when a final word came.
    bool ReadLines(const int32_t& codePage, const LineParser& parse);
    // Reads the output to its end as ReadLines does, and discards it.
    void DiscardOutput();

    // Waits without a time limit for the child; its output has been read to
    // the end before (ReadLines, DiscardOutput), so it cannot block on it.
    void WaitForExit();
    // The child's exit code; STILL_ACTIVE (259) while it runs.
    DWORD ExitCode() const;
    // Closes the thread and process handles, then every open pipe end.
    void Release();

    const wchar_t* CommandLine() const { return commandLine_; }
    DWORD ProcessId() const { return processId_; }

private:
    using ByteSink = std::function<void(const char* bytes, size_t count)>;
    void ReadToEnd(const ByteSink& take);
    bool Ended() const;

    wchar_t commandLine_[kCommandLineCapacity];
    PipePair errorPipe_;
    PipePair outputPipe_;
    PipePair inputPipe_;
    Utils::UniqueHandle process_;
    Utils::UniqueHandle thread_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    std::unique_ptr<PipeDrain> errorDrain_;  // owned; runs while the child does
};
