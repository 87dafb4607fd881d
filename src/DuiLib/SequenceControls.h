#pragma once
// What the sequence label and button share as controls: creating them for
// their element names, and running the animation's timer on a control.

#include "SequenceAnimation.h"
#include "UIEvent.h"

#include <memory>
#include <string>

namespace DuiLib {

class CControlUI;

// A CSequenceLabelUI for "SequenceLabel", a CSequenceButtonUI for
// "SequenceButton" (either in any case), null for any other name. Windows
// whose skins use the animations call it from their CreateControl.
std::unique_ptr<CControlUI> CreateSequenceControl(const std::wstring& elementName);

// Starts the control's animation timer with the state's period. A timer that
// is already running keeps running at its old period.
void StartSequenceTimer(CControlUI& control, const SequenceAnimation& state);
// After the control's base handling of an event: one animation step when it
// is a tick of the animation timer.
void RunSequenceTick(CControlUI& control, SequenceAnimation& state, const UIEvent& event);

}  // namespace DuiLib
