#pragma once
// One anonymous pipe as the child process runner holds it: the write end,
// then the read end. An empty handle means that end is not open.

#include "Utils/UniqueResource.h"

class PipePair {
public:
    // Creates the pipe with both ends inheritable and the default buffer
    // size. Throws Utils::Exception (empty message) when the pipe cannot be made.
    void Open();
    // Write end first, then read end.
    void Close();

    HANDLE WriteEnd() const { return write_.Get(); }
    HANDLE ReadEnd() const { return read_.Get(); }
    void CloseWriteEnd() { write_.Reset(); }
    void CloseReadEnd() { read_.Reset(); }

private:
    Utils::UniqueHandle write_;
    Utils::UniqueHandle read_;
};
