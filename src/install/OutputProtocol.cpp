#include "OutputProtocol.h"

#include <cmath>
#include <cwchar>

namespace OutputProtocol {

std::vector<std::wstring> SplitLines(const std::wstring& chunk)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < chunk.size()) {
        size_t end = chunk.find(L'\n', start);
        if (end == std::wstring::npos) end = chunk.size();
        lines.push_back(chunk.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

std::wstring Trim(const std::wstring& text)
{
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    size_t last = text.size();
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::wstring TextValue(const std::wstring& rest) { return rest.substr(0, kMaxTextValue); }

std::wstring KeywordValue(const std::wstring& rest) { return Trim(TextValue(rest)); }

void SetReport(LineOutcome& outcome, int32_t code, double progress, const std::wstring& text)
{
    outcome.report = true;
    outcome.code = code;
    outcome.progress = progress;
    outcome.text = text;
}

void ApplyState(const std::wstring& rest, LineOutcome& outcome, int32_t successCode, int32_t failureCode,
                const std::wstring& failureText)
{
    std::wstring word = KeywordValue(rest);
    if (word == L"Success") {
        SetReport(outcome, successCode, 0.0);
        outcome.result = kResultSuccess;
    } else if (word == L"Fail") {
        SetReport(outcome, failureCode, 0.0, failureText);
        outcome.result = kResultFailure;
    }
}

namespace {
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

const wchar_t* SkipBlanks(const wchar_t* p)
{
    while (*p && IsBlank(*p)) ++p;
    return p;
}

const wchar_t* SkipDigits(const wchar_t* p)
{
    while (IsDigit(*p)) ++p;
    return p;
}

const wchar_t* SkipSign(const wchar_t* p) { return (*p == L'+' || *p == L'-') ? p + 1 : p; }
}  // namespace

bool ScanDouble(const wchar_t*& cursor, double& value)
{
    const wchar_t* start = SkipBlanks(cursor);
    const wchar_t* p = SkipSign(start);
    const wchar_t* whole = p;
    p = SkipDigits(p);
    bool digits = p != whole;
    if (*p == L'.') {
        const wchar_t* fraction = p + 1;
        p = SkipDigits(fraction);
        digits = digits || p != fraction;
    }
    if (!digits) return false;
    if (*p == L'e' || *p == L'E') {
        const wchar_t* exponent = SkipSign(p + 1);
        const wchar_t* end = SkipDigits(exponent);
        if (end != exponent) p = end;
    }
    std::wstring number(start, p);
    double parsed = std::wcstod(number.c_str(), nullptr);
    if (!std::isfinite(parsed)) return false;  // beyond the range of a double
    value = parsed;
    cursor = p;
    return true;
}

bool ScanInt(const wchar_t*& cursor, int32_t& value)
{
    const wchar_t* p = SkipBlanks(cursor);
    bool negative = *p == L'-';
    p = SkipSign(p);
    if (!IsDigit(*p)) return false;
    int64_t magnitude = 0;
    for (; IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - L'0');
        if (magnitude > 2147483648LL) return false;
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) return false;
    value = static_cast<int32_t>(signedValue);
    cursor = p;
    return true;
}

double DoubleOrZero(const std::wstring& rest)
{
    const wchar_t* cursor = rest.c_str();
    double value = 0.0;
    return ScanDouble(cursor, value) ? value : 0.0;
}

int32_t IntOrZero(const std::wstring& rest)
{
    const wchar_t* cursor = rest.c_str();
    int32_t value = 0;
    return ScanInt(cursor, value) ? value : 0;
}

}  // namespace OutputProtocol
