#pragma once
// A label that flips its background through numbered frame images on a
// timer (element "SequenceLabel"); see SequenceAnimation.h for the frame order.

#include "LabelUI.h"
#include "SequenceAnimation.h"

namespace DuiLib {

class CSequenceLabelUI : public CLabelUI {
public:
    CSequenceLabelUI();
    ~CSequenceLabelUI() override;

    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;
    // Starts the timer when the skin asks for autostart.
    void DoInit() override;
    void DoEvent(UIEvent& event) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    // Stored as given; the next tick uses it. No repaint.
    virtual void SetFramePattern(const std::wstring& pattern);
    virtual std::wstring GetFramePattern() const;
    virtual void SetFrameCount(int count);
    virtual int GetFrameCount() const;
    // Takes effect the next time the timer is started.
    virtual void SetFramePeriod(int milliseconds);
    virtual int GetFramePeriod() const;

    // Shows frame 0 on the next tick and starts the timer; a running timer
    // keeps its period.
    void Start();
    const SequenceAnimation& Animation() const { return animation_; }

private:
    SequenceAnimation animation_;
};

}  // namespace DuiLib
