#include "ProgressText.h"

#include <algorithm>
#include <cwchar>

const wchar_t kProgressFormat[] = L"正在安装中:%d%%，请稍候...";
const wchar_t kPatientProgressFormat[] = L"正在安装中:%d%%，请耐心等待...";

namespace {

const double kPatienceSeconds = 60.0;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The length of the conversion starting at format[at] (a '%'), or 0 when it
// is not one of the accepted integer conversions.
size_t IntegerConversionLength(const std::wstring& format, size_t at)
{
    size_t i = at + 1;
    while (i < format.size() && std::wcschr(L"-+ #0", format[i]) && format[i] != L'\0') ++i;
    while (i < format.size() && IsDigit(format[i])) ++i;
    if (i < format.size() && format[i] == L'.') {
        ++i;
        while (i < format.size() && IsDigit(format[i])) ++i;
    }
    if (i < format.size() && (format[i] == L'd' || format[i] == L'i' || format[i] == L'u')) return i + 1 - at;
    return 0;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

bool IsPercentFormat(const std::wstring& format)
{
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != L'%') continue;
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            ++i;
            continue;
        }
        size_t length = IntegerConversionLength(format, i);
        if (length == 0) return false;
        ++conversions;
        i += length - 1;
    }
    return conversions == 1;
}

std::wstring FormatPercent(const std::wstring& format, int percent)
{
    std::wstring text;
    for (size_t i = 0; i < format.size() && text.size() <= kProgressTextLimit; ++i) {
        if (format[i] != L'%') {
            text += format[i];
        } else if (i + 1 < format.size() && format[i + 1] == L'%') {
            text += L'%';
            ++i;
        } else if (size_t length = IntegerConversionLength(format, i)) {
            // The conversion alone goes to the formatter, with the one argument
            // it takes; a width is bounded by the buffer, not by trust.
            std::wstring conversion = format.substr(i, length);
            wchar_t number[kProgressTextLimit + 1] = {};
            int written = std::swprintf(number, kProgressTextLimit + 1, conversion.c_str(), percent);
            if (written > 0) text.append(number, std::min<size_t>(written, kProgressTextLimit));
            i += length - 1;
        }
    }
    if (text.size() > kProgressTextLimit) {
        size_t cut = kProgressTextLimit;
        if (IsHighSurrogate(text[cut - 1])) --cut;
        text.resize(cut);
    }
    return text;
}

std::wstring ProgressText(const std::wstring& skinFormat, int percent, bool downloadTimerRunning,
                          double secondsSinceDownloadStart)
{
    if (!skinFormat.empty() && IsPercentFormat(skinFormat)) return FormatPercent(skinFormat, percent);
    bool patient = downloadTimerRunning && secondsSinceDownloadStart > kPatienceSeconds;
    return FormatPercent(patient ? kPatientProgressFormat : kProgressFormat, percent);
}
