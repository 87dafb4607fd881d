#pragma once
// The text of the progress label for a percent. The skin may give its own
// format in progressLb's "userdata"; skin data never reaches a printf-style
// formatter unchecked: only a format with exactly one integer conversion
// (flags, width and precision allowed) and otherwise only "%%" is used.

#include <string>

// Formats longer than this are cut (the label's buffer held 250 characters
// with its terminator).
constexpr size_t kProgressTextLimit = 249;

// True when format holds exactly one conversion of the forms %d, %i or %u
// with optional flags "-+ #0", a decimal width and a decimal precision, and
// every other '%' belongs to a "%%".
bool IsPercentFormat(const std::wstring& format);

// format with the one conversion filled in and "%%" made "%"; the result is
// cut to kProgressTextLimit characters, never inside a surrogate pair.
// format must satisfy IsPercentFormat.
std::wstring FormatPercent(const std::wstring& format, int percent);

// The label's text: the skin's format when it is usable, otherwise the
// built-in one, which asks for patience once the download has run for more
// than 60 seconds.
std::wstring ProgressText(const std::wstring& skinFormat, int percent, bool downloadTimerRunning,
                          double secondsSinceDownloadStart);

extern const wchar_t kProgressFormat[];         // "正在安装中:%d%%，请稍候..."
extern const wchar_t kPatientProgressFormat[];  // "正在安装中:%d%%，请耐心等待..."
