#include "AttributeValues.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib {

namespace {

// Reads integers separated by single characters, as the skins write them.
int ReadIntegers(const std::wstring& text, long* out, int count)
{
    const wchar_t* p = text.c_str();
    int read = 0;
    while (read < count && *p) {
        wchar_t* end = nullptr;
        long value = std::wcstol(p, &end, 10);
        if (end == p) break;
        out[read++] = value;
        p = end;
        if (*p) ++p;
    }
    return read;
}

}  // namespace

uint32_t ParseColor(const std::wstring& text)
{
    const wchar_t* p = text.c_str();
    while (*p == L' ') ++p;
    if (*p == L'#') {
        ++p;
    } else if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) {
        p += 2;
    }
    return static_cast<uint32_t>(std::wcstoul(p, nullptr, 16));
}

int ParseInt(const std::wstring& text) { return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10)); }

RECT ParseRect(const std::wstring& text)
{
    long values[4] = {0, 0, 0, 0};
    ReadIntegers(text, values, 4);
    return RECT{values[0], values[1], values[2], values[3]};
}

SIZE ParseSize(const std::wstring& text)
{
    long values[2] = {0, 0};
    ReadIntegers(text, values, 2);
    return SIZE{values[0], values[1]};
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

std::wstring AttributeKey(const std::wstring& name)
{
    std::wstring key = name;
    for (auto& c : key) c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

bool ParseBool(const std::wstring& text) { return EqualsNoCase(text, L"true"); }

bool ContainsText(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

}  // namespace DuiLib
