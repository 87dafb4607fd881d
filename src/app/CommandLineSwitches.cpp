#include "CommandLineSwitches.h"

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cwchar>
#include <cwctype>

CommandLineSwitches CommandLineSwitches::FromCommandLine(const std::wstring& commandLine)
{
    CommandLineSwitches switches;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine.c_str(), &count);
    if (!argv) return switches;
    for (int i = 0; i < count; ++i) {
        std::wstring token = argv[i];
        size_t equals = token.find(L'=');
        if (!token.empty() && token[0] == L'-' && equals != std::wstring::npos)
            switches.Insert(token.substr(0, equals), token.substr(equals + 1));
        else
            switches.Insert(token, std::wstring());
    }
    ::LocalFree(argv);
    return switches;
}

void CommandLineSwitches::Insert(const std::wstring& key, const std::wstring& value)
{
    entries_.emplace(key, value);  // emplace keeps an existing entry
}

bool CommandLineSwitches::Has(const std::wstring& key) const { return entries_.count(key) != 0; }

std::wstring CommandLineSwitches::String(const std::wstring& key) const
{
    auto it = entries_.find(key);
    return it == entries_.end() ? std::wstring() : it->second;
}

namespace SettingText {

namespace {
size_t SkipSpace(const std::wstring& text, size_t i)
{
    while (i < text.size() && std::iswspace(text[i])) ++i;
    return i;
}
size_t SkipDigits(const std::wstring& text, size_t i)
{
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ++i;
    return i;
}
}  // namespace

bool ToInt(const std::wstring& text, int& value)
{
    size_t begin = SkipSpace(text, 0);
    size_t i = begin;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t end = SkipDigits(text, i);
    if (end == i) return false;
    errno = 0;
    long long parsed = std::wcstoll(text.substr(begin, end - begin).c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

int ToIntOrZero(const std::wstring& text)
{
    int value = 0;
    return ToInt(text, value) ? value : 0;
}

bool ToBool(const std::wstring& text) { return text == L"true"; }

bool ToDouble(const std::wstring& text, double& value)
{
    size_t begin = SkipSpace(text, 0);
    size_t i = begin;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t intEnd = SkipDigits(text, i);
    size_t end = intEnd;
    bool digits = intEnd > i;
    if (end < text.size() && text[end] == L'.') {
        size_t fracEnd = SkipDigits(text, end + 1);
        digits = digits || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!digits) return false;
    if (end < text.size() && (text[end] == L'e' || text[end] == L'E')) {
        size_t e = end + 1;
        if (e < text.size() && (text[e] == L'+' || text[e] == L'-')) ++e;
        size_t expEnd = SkipDigits(text, e);
        if (expEnd > e) end = expEnd;  // "1e" keeps "1"
    }
    errno = 0;
    double parsed = std::wcstod(text.substr(begin, end - begin).c_str(), nullptr);
    if (!std::isfinite(parsed) || (errno == ERANGE && std::fabs(parsed) > 1.0)) return false;
    value = parsed;
    return true;
}

double ToDoubleOrZero(const std::wstring& text)
{
    double value = 0.0;
    return ToDouble(text, value) ? value : 0.0;
}

}  // namespace SettingText
