#include "SequenceAnimation.h"

#include "AttributeValues.h"
#include "app/DiagnosticLog.h"

#include <cwchar>

namespace DuiLib {

namespace {

bool IsFlag(wchar_t c) { return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0'; }

bool IsIntegerConversion(wchar_t c)
{
    return c == L'd' || c == L'i' || c == L'u' || c == L'x' || c == L'X' || c == L'o';
}

// Skips up to three decimal digits; false when more follow. Wider fields
// could never fit the frame-name buffer anyway.
bool SkipShortNumber(const std::wstring& text, std::size_t& pos)
{
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
        ++pos;
        ++digits;
    }
    return digits <= 3;
}

// Reads one conversion starting just after its '%'; false when it is not an
// integer conversion this pattern may hold. Width and precision are numbers
// only: a '*' would take an argument of its own.
bool ReadIntegerConversion(const std::wstring& text, std::size_t& pos)
{
    while (pos < text.size() && IsFlag(text[pos])) ++pos;
    if (!SkipShortNumber(text, pos)) return false;
    if (pos < text.size() && text[pos] == L'.') {
        ++pos;
        if (!SkipShortNumber(text, pos)) return false;
    }
    if (pos >= text.size() || !IsIntegerConversion(text[pos])) return false;
    ++pos;
    return true;
}

bool IsFalse(const std::wstring& value) { return value == L"false"; }

}  // namespace

bool IsFramePatternUsable(const std::wstring& pattern)
{
    int conversions = 0;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        wchar_t c = pattern[pos++];
        // The formatter stops at a NUL; what follows it would never be checked against what is read.
        if (c == L'\0') return false;
        if (c != L'%') continue;
        if (pos < pattern.size() && pattern[pos] == L'%') {
            ++pos;
            continue;
        }
        if (!ReadIntegerConversion(pattern, pos)) return false;
        ++conversions;
    }
    return conversions == 1;
}

bool FormatFrameName(const std::wstring& pattern, uint32_t frame, std::wstring& name)
{
    if (!IsFramePatternUsable(pattern)) return false;
    wchar_t buffer[kFrameNameBuffer] = {};
    // The pattern holds exactly one integer conversion, so exactly this one argument is read.
    int written = std::swprintf(buffer, kFrameNameBuffer, pattern.c_str(), static_cast<unsigned>(frame));
    if (written < 0 || static_cast<std::size_t>(written) >= kFrameNameBuffer) return false;
    name.assign(buffer, static_cast<std::size_t>(written));
    return true;
}

SequenceStep StepSequence(SequenceAnimation& state)
{
    SequenceStep step;
    if (state.pattern.empty() || state.count < 1 || !IsFramePatternUsable(state.pattern)) return step;
    const uint32_t last = static_cast<uint32_t>(state.count) - 1;
    const bool canTurn = state.roundTrip && state.count >= 2;
    if (state.forward && state.index > last) {
        if (canTurn) {
            state.forward = false;
            state.index = last - 1;
        } else {
            state.index = 0;
            if (!state.loop) {
                step.stopTimer = true;
                return step;
            }
        }
    }
    if (!state.forward) {
        // The count may have shrunk while going back.
        if (state.index > last) state.index = last;
        if (state.index == 0) {
            if (state.roundTrip) state.forward = true;
            if (!state.loop) {
                step.stopTimer = true;
                return step;
            }
        }
    }
    uint32_t frame = state.index;
    state.index = state.forward ? frame + 1 : frame - 1;
    step.showFrame = true;
    if (!FormatFrameName(state.pattern, frame, step.image)) step.image.clear();
    return step;
}

bool ApplySequenceAttribute(SequenceAnimation& state, const std::wstring& name, const std::wstring& value)
{
    if (name == L"sequencebkimage") {
        state.pattern = value;
        if (!value.empty() && !IsFramePatternUsable(value)) {
            LogLine(L"frame pattern needs exactly one integer conversion, the animation stays still: %s",
                    value.c_str());
        }
    } else if (EqualsNoCase(name, L"sequencecount")) {
        state.count = ParseInt(value);
    } else if (EqualsNoCase(name, L"sequencespan")) {
        state.period = ParseInt(value);
    } else if (EqualsNoCase(name, L"sequenceloop")) {
        state.loop = !IsFalse(value);
    } else if (EqualsNoCase(name, L"autostart")) {
        state.autostart = !IsFalse(value);
    } else if (EqualsNoCase(name, L"sequenceround")) {
        state.roundTrip = !IsFalse(value);
    } else {
        return false;
    }
    return true;
}

unsigned TimerElapseFor(int32_t period) { return period > 0 ? static_cast<unsigned>(period) : 0u; }

}  // namespace DuiLib
