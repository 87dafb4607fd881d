#pragma once
// The boundary of every downloader thread and of every callback the platform
// or libcurl makes into us: no C++ exception may unwind through their C frames
// or end a thread unseen. What escapes is logged and turned into the run's
// failure by the caller.

#include <utility>

namespace Utils {

// Call only inside a catch block: logs the exception being handled.
void LogEscapedException(const wchar_t* boundary) noexcept;

// Runs body; when an exception escapes it, logs it and runs onFailure (whose
// own exceptions are logged too). True when body returned normally.
template <typename Body, typename OnFailure>
bool RunGuarded(const wchar_t* boundary, Body&& body, OnFailure&& onFailure) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        LogEscapedException(boundary);
    }
    try {
        std::forward<OnFailure>(onFailure)();
    } catch (...) {
        LogEscapedException(boundary);
    }
    return false;
}

}  // namespace Utils
