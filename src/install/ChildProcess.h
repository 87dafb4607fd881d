#pragma once
// One hidden console child with its three standard streams on anonymous
// pipes. The owner creates it, opens the pipes, starts it, reads its output
// in one of the two read loops, waits for it and releases it, all on one
// worker thread. The child's standard error is drained and discarded while it
// runs, and its standard output while the owner waits for it to end, so a
// child never blocks on a pipe nobody reads.

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
    static constexpr size_t kChunkBytes = 1024;

    // Decoded text of one output chunk; returns nonzero to report a final word.
    using ChunkParser = std::function<int32_t(const std::wstring& chunk)>;

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

    // One read of up to kChunkBytes; false when the pipe broke with nothing read.
    bool ReadChunk(int32_t codePage, std::wstring& text);

    // Reads until the parser reports a final word (false) or until one more
    // read after the child was seen ended (true). codePage is read afresh for
    // every chunk, so a parser changing it affects the next chunk.
    bool InstallReadLoop(const int32_t& codePage, const ChunkParser& parse);
    // Reads while the child runs; false when any chunk's parse was nonzero.
    bool UninstallReadLoop(const int32_t& codePage, const ChunkParser& parse);

    // Waits without a time limit for the child, discarding what it still writes.
    void WaitForExit();
    // Closes the thread and process handles, then every open pipe end.
    void Release();

    const wchar_t* CommandLine() const { return commandLine_; }
    DWORD ProcessId() const { return processId_; }

    // The text of a chunk: the bytes up to the first zero byte (all of them
    // when there is none) decoded in the code page (0 ANSI, 65001 UTF-8);
    // empty when they cannot be converted.
    static std::wstring DecodeChunk(const char* bytes, size_t count, int32_t codePage);

private:
    bool Running() const;

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
