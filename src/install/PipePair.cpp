#include "PipePair.h"

#include "Utils/Exception.h"

void PipePair::Open()
{
    Close();
    SECURITY_ATTRIBUTES inherit = {};
    inherit.nLength = sizeof(inherit);
    inherit.lpSecurityDescriptor = nullptr;
    inherit.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    BOOL made = ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    // Whatever the call left behind is owned (and closed on failure) here.
    read_.Reset(readEnd);
    write_.Reset(writeEnd);
    if (!made) {
        Close();
        throw Utils::Exception();
    }
}

void PipePair::Close()
{
    write_.Reset();
    read_.Reset();
}
