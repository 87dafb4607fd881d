#pragma once
// A label that flips its background through numbered frame images on a
// timer (element "SequenceLabel"); see SequenceAnimation.h for the frame order.

#include "LabelUI.h"
#include "SequenceControlUI.h"

namespace DuiLib {

class CSequenceLabelUI : public CSequenceControlUI<CLabelUI> {
public:
    ~CSequenceLabelUI() override;

    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    // Shows frame 0 on the next tick and starts the timer; a running timer
    // keeps its period.
    void Start();
};

}  // namespace DuiLib
