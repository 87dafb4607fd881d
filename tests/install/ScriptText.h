#pragma once
// Text for the stand-ins' scripts: wide text as UTF-8 with its backslashes
// escaped, so paths reach the stand-in's output unchanged.

#include "Utils/TextConvert.h"

#include <string>

namespace InstallTest {

inline std::string ScriptText(const std::wstring& text)
{
    std::string escaped;
    for (char c : Utils::ToNarrow(text, 65001)) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// The line count times, each time with an escaped LF after it: a burst for
// one "put".
inline std::string RepeatedLines(const std::string& line, int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i) lines += line + "\\n";
    return lines;
}

}  // namespace InstallTest
