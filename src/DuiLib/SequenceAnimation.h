#pragma once
// The frame-sequence animation shared by the sequence label and button: the
// state, the skin attributes that fill it in, and one tick of the timer as a
// plain function, so the frame order can be followed without a window.
//
// The frame pattern comes from skin data and names each frame's image with
// one integer conversion ("res\\anim\\%.3d.png"). It is only ever formatted
// once it has been checked to hold exactly one integer conversion, so a
// careless skin can neither make the formatter read further arguments nor
// write past the frame-name buffer.

#include <cstddef>
#include <cstdint>
#include <string>

namespace DuiLib {

// One timer per animated control; ids are per control in the toolkit.
constexpr unsigned kSequenceTimerId = 2100;
// The frame name buffer, terminator included.
constexpr std::size_t kFrameNameBuffer = 260;

struct SequenceAnimation {
    std::wstring pattern;    // empty: ticks change nothing
    bool autostart = false;  // start the timer when the control is initialised
    bool loop = true;        // go on after the last frame instead of stopping
    bool forward = true;     // current direction
    bool roundTrip = false;  // turn back at the ends instead of wrapping
    uint32_t index = 0;      // the next frame to show
    int32_t count = 0;       // frames 0 .. count - 1
    int32_t period = 30;     // milliseconds between frames
};

// What one tick asks of the control.
struct SequenceStep {
    bool stopTimer = false;
    bool showFrame = false;
    // The frame's image description; empty when the frame's name does not
    // fit the buffer (the control then shows no background for that tick).
    std::wstring image;
};

// One timer tick. Ticks change nothing while the pattern is empty or
// unusable, or while there are no frames (count below 1). A single frame with
// round trip has nowhere to turn back to, so it simply repeats.
SequenceStep StepSequence(SequenceAnimation& state);

// True when the pattern holds exactly one conversion of an integer (d, i, u,
// x, X or o, with optional flags "-+ #0", a width and a precision of up to
// three digits each) besides any number of "%%".
bool IsFramePatternUsable(const std::wstring& pattern);
// The pattern formatted with frame; false when the pattern is unusable or
// the result would not fit kFrameNameBuffer - 1 characters.
bool FormatFrameName(const std::wstring& pattern, uint32_t frame, std::wstring& name);

// Applies one of the sequence attributes; false when name is none of them.
// "sequencebkimage" is matched exactly, the others without regard to case;
// the three switches are off only for the exact value "false".
bool ApplySequenceAttribute(SequenceAnimation& state, const std::wstring& name, const std::wstring& value);

// The timer interval for a period. A period below 1 ms (a span that is
// missing or negative) gives the platform's shortest interval instead of
// wrapping round into weeks.
unsigned TimerElapseFor(int32_t period);

}  // namespace DuiLib
