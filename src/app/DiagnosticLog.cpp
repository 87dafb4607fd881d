#include "DiagnosticLog.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <new>

namespace DiagnosticLog {

namespace {
std::atomic<Sink> g_sink{nullptr};

const wchar_t kPrefix[] = L"<P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%s)<%04d>: ";

// The combined format needs the prefix's arguments ahead of the caller's, so
// the caller's va_list is forwarded from inside a variadic call.
int CountChars(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = _vscwprintf(format, args);
    va_end(args);
    return n;
}
}  // namespace

void SetSink(Sink sink) { g_sink.store(sink); }

std::wstring QualifiedFunctionName(const char* pretty)
{
    std::string text(pretty ? pretty : "");
    // Trailing decorations after the parameter list: " const", " [with T = ...]".
    size_t with = text.rfind(" [with ");
    if (with != std::string::npos && text.back() == ']') text.erase(with);
    // A lambda's call operator shows as "Outer::Function(args)::<lambda(args)>":
    // the whole text is its name.
    size_t close = text.rfind(')');
    if (close == std::string::npos || text.back() == '>') return std::wstring(text.begin(), text.end());
    // Find the '(' that opens the final parameter list.
    int depth = 0;
    size_t open = std::string::npos;
    for (size_t i = close + 1; i-- > 0;) {
        if (text[i] == ')') ++depth;
        else if (text[i] == '(' && --depth == 0) {
            open = i;
            break;
        }
    }
    if (open == std::string::npos) return std::wstring(text.begin(), text.end());
    // Walk back over the name; spaces inside <...> or (...) belong to it.
    int nest = 0;
    size_t start = 0;
    for (size_t i = open; i-- > 0;) {
        char c = text[i];
        if (c == '>' || c == ')') ++nest;
        else if (c == '<' || c == '(') --nest;
        else if (c == ' ' && nest == 0) {
            start = i + 1;
            break;
        }
    }
    std::string name = text.substr(start, open - start);
    return std::wstring(name.begin(), name.end());
}

Stamp CurrentStamp()
{
    SYSTEMTIME t = {};
    ::GetLocalTime(&t);
    return Stamp{::GetCurrentProcessId(), ::GetCurrentThreadId(), t.wYear, t.wMonth, t.wDay,
                 t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::wstring FormatV(const Stamp& s, const std::wstring& tag, int line, bool appendNewline, const wchar_t* format,
                     va_list args)
{
    // The prefix and the message behave as one format string: the prefix is
    // formatted with its own arguments, the message with the caller's list.
    // Both passes use the Microsoft run-time's functions, where %s in a wide
    // format is a wide string (MinGW's C99 printf would read it narrow).
    std::wstring message = format ? format : L"";
    if (appendNewline) message += L"\r\n";

    int prefixCount = CountChars(kPrefix, s.processId, s.threadId, s.year, s.month, s.day, s.hour, s.minute,
                                 s.second, s.milliseconds, tag.c_str(), line);
    va_list counting;
    va_copy(counting, args);
    int messageCount = _vscwprintf(message.c_str(), counting);
    va_end(counting);
    if (prefixCount < 0 || messageCount < 0) return std::wstring();

    // Sized from the formatted length, so no text is ever cut.
    size_t size = static_cast<size_t>(prefixCount) + static_cast<size_t>(messageCount) + 2;
    std::wstring text;
    try {
        text.assign(size, L'\0');
    } catch (const std::bad_alloc&) {
        return std::wstring();  // nothing is written for this line
    }
    _snwprintf(&text[0], size, kPrefix, s.processId, s.threadId, s.year, s.month, s.day, s.hour, s.minute,
               s.second, s.milliseconds, tag.c_str(), line);
    va_list formatting;
    va_copy(formatting, args);
    _vsnwprintf(&text[static_cast<size_t>(prefixCount)], size - static_cast<size_t>(prefixCount), message.c_str(),
                formatting);
    va_end(formatting);
    text.resize(static_cast<size_t>(prefixCount) + static_cast<size_t>(messageCount));
    return text;
}

std::wstring Format(const Stamp& stamp, const std::wstring& tag, int line, bool appendNewline, const wchar_t* format,
                    ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = FormatV(stamp, tag, line, appendNewline, format, args);
    va_end(args);
    return text;
}

void Write(bool appendNewline, const char* prettyFunction, int line, const wchar_t* format, ...)
{
    Stamp stamp = CurrentStamp();
    va_list args;
    va_start(args, format);
    std::wstring text = FormatV(stamp, QualifiedFunctionName(prettyFunction), line, appendNewline, format, args);
    va_end(args);
    if (text.empty()) return;
    ::OutputDebugStringW(text.c_str());
    if (Sink sink = g_sink.load()) sink(text.c_str());
}

}  // namespace DiagnosticLog
