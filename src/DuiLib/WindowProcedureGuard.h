#pragma once
// The system calls window procedures through frames that C++ exceptions
// cannot cross. A procedure runs its body through AnswerWithoutExceptions:
// an exception the body lets out is logged, and the message gets the
// fallback's answer (the default procedure), as if nobody had handled it.

#include "Utils/TextConvert.h"
#include "app/DiagnosticLog.h"

#include <windows.h>

#include <exception>

namespace DuiLib {

template <typename Body, typename Fallback>
LRESULT AnswerWithoutExceptions(UINT msg, const Body& body, const Fallback& fallback)
{
    try {
        return body();
    } catch (const std::exception& error) {
        LogLine(L"message 0x%04X left an exception: %s", msg, Utils::ToWide(error.what(), 0).c_str());
    } catch (...) {
        LogLine(L"message 0x%04X left an exception of unknown type", msg);
    }
    return fallback();
}

}  // namespace DuiLib
