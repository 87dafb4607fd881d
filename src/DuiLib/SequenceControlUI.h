#pragma once
// What the sequence label and button have in common: the animation state,
// filled in from the skin's attributes, started on initialisation when the
// skin asks for autostart and stepped on every tick of the animation timer
// after the base control has handled the event. Base is CLabelUI or one of
// its descendants.

#include "SequenceAnimation.h"
#include "SequenceControls.h"

#include <string>

namespace DuiLib {

template <typename Base>
class CSequenceControlUI : public Base {
public:
    void DoInit() override
    {
        Base::DoInit();
        if (animation_.autostart) StartSequenceTimer(*this, animation_);
    }

    void DoEvent(UIEvent& event) override
    {
        Base::DoEvent(event);
        RunSequenceTick(*this, animation_, event);
    }

    void SetAttribute(const std::wstring& name, const std::wstring& value) override
    {
        if (!ApplySequenceAttribute(animation_, name, value)) Base::SetAttribute(name, value);
    }

    // Stored as given; the next tick uses it. No repaint.
    virtual void SetFramePattern(const std::wstring& pattern) { animation_.pattern = pattern; }
    virtual std::wstring GetFramePattern() const { return animation_.pattern; }
    virtual void SetFrameCount(int count) { animation_.count = count; }
    virtual int GetFrameCount() const { return animation_.count; }
    // Takes effect the next time the timer is started.
    virtual void SetFramePeriod(int milliseconds) { animation_.period = milliseconds; }
    virtual int GetFramePeriod() const { return animation_.period; }

    const SequenceAnimation& Animation() const { return animation_; }

protected:
    SequenceAnimation animation_;
};

}  // namespace DuiLib
