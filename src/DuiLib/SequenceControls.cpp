#include "SequenceControls.h"

#include "AttributeValues.h"
#include "PaintManager.h"
#include "SequenceButtonUI.h"
#include "SequenceLabelUI.h"

namespace DuiLib {

std::unique_ptr<CControlUI> CreateSequenceControl(const std::wstring& elementName)
{
    if (EqualsNoCase(elementName, L"SequenceLabel")) return std::make_unique<CSequenceLabelUI>();
    if (EqualsNoCase(elementName, L"SequenceButton")) return std::make_unique<CSequenceButtonUI>();
    return nullptr;
}

void StartSequenceTimer(CControlUI& control, const SequenceAnimation& state)
{
    if (PaintManager* manager = control.GetManager()) {
        manager->SetTimer(&control, kSequenceTimerId, TimerElapseFor(state.period));
    }
}

void RunSequenceTick(CControlUI& control, SequenceAnimation& state, const UIEvent& event)
{
    if (event.type != UIEventType::Timer || event.wParam != kSequenceTimerId) return;
    SequenceStep step = StepSequence(state);
    if (step.stopTimer) {
        if (PaintManager* manager = control.GetManager()) manager->KillTimer(&control, kSequenceTimerId);
    }
    if (step.showFrame) control.SetBkImage(step.image);
}

}  // namespace DuiLib
