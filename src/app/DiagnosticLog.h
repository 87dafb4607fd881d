#pragma once
// The installer's only trace: one line per event on the debugger output,
//   <P%05d><T%05d><yyyy-mm-dd hh:mm:ss.mmm>(Qualified::Function)<line>: message
// LogLine appends CR LF, LogRaw writes the message as it stands. The message
// format follows the Windows wide printf conventions: %s takes a wide string.

#include <cstdarg>
#include <string>

namespace DiagnosticLog {

// Receives each finished line in addition to the debugger output; tests and
// the probe tools set one, the installer never does. Null removes it.
using Sink = void (*)(const wchar_t* line);
void SetSink(Sink sink);

// "void CMTCurlDownloader::downloadExe(int)" -> "CMTCurlDownloader::downloadExe".
std::wstring QualifiedFunctionName(const char* prettyFunction);

// The prefix arguments of one line, taken at the call.
struct Stamp {
    unsigned processId;
    unsigned threadId;
    unsigned short year, month, day, hour, minute, second, milliseconds;
};
Stamp CurrentStamp();

// Builds the whole line; empty when the format is rejected.
std::wstring FormatV(const Stamp& stamp, const std::wstring& tag, int line, bool appendNewline,
                     const wchar_t* format, va_list args);
std::wstring Format(const Stamp& stamp, const std::wstring& tag, int line, bool appendNewline,
                    const wchar_t* format, ...);

void Write(bool appendNewline, const char* prettyFunction, int line, const wchar_t* format, ...);

}  // namespace DiagnosticLog

#define LogLine(format, ...) ::DiagnosticLog::Write(true, __PRETTY_FUNCTION__, __LINE__, format, ##__VA_ARGS__)
#define LogRaw(format, ...) ::DiagnosticLog::Write(false, __PRETTY_FUNCTION__, __LINE__, format, ##__VA_ARGS__)
