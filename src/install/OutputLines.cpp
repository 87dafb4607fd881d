#include "OutputLines.h"

#include "Utils/TextConvert.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

void OutputLines::Append(const char* bytes, size_t count)
{
    const char* end = bytes + count;
    while (bytes < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(bytes, '\n', static_cast<size_t>(end - bytes)));
        const char* pieceEnd = lineEnd ? lineEnd : end;
        size_t room = kMaxLineBytes - std::min(pending_.size(), kMaxLineBytes);
        pending_.append(bytes, std::min(room, static_cast<size_t>(pieceEnd - bytes)));
        if (!lineEnd) return;
        complete_.push_back(std::move(pending_));
        pending_.clear();
        bytes = lineEnd + 1;
    }
}

bool OutputLines::TakeLine(std::string& line)
{
    if (complete_.empty()) return false;
    line = std::move(complete_.front());
    complete_.pop_front();
    return true;
}

bool OutputLines::TakeRest(std::string& line)
{
    if (pending_.empty()) return false;
    line = std::move(pending_);
    pending_.clear();
    return true;
}

std::wstring OutputLines::Decode(const std::string& bytes, int32_t codePage)
{
    return Utils::ToWide(bytes.substr(0, bytes.find('\0')), static_cast<unsigned>(codePage));
}

bool OutputLines::IsUsableCodePage(int32_t codePage)
{
    // Asking for a conversion is the one test that covers the pseudo code
    // pages (ANSI, OEM, ...) as well as the installed tables.
    wchar_t text[2] = {};
    return ::MultiByteToWideChar(static_cast<UINT>(codePage), 0, "A", 1, text, 2) == 1;
}
