#include "SequenceLabelUI.h"

#include "PaintManager.h"
#include "SequenceControls.h"

namespace DuiLib {

CSequenceLabelUI::CSequenceLabelUI() = default;

CSequenceLabelUI::~CSequenceLabelUI()
{
    if (manager_) manager_->KillTimer(this, kSequenceTimerId);
}

std::wstring CSequenceLabelUI::GetClass() const { return L"SequenceLabel"; }

CControlUI* CSequenceLabelUI::GetInterface(const std::wstring& name)
{
    return name == L"SequenceLabel" ? this : CLabelUI::GetInterface(name);
}

void CSequenceLabelUI::DoInit()
{
    CLabelUI::DoInit();
    if (animation_.autostart) StartSequenceTimer(*this, animation_);
}

void CSequenceLabelUI::DoEvent(UIEvent& event)
{
    CLabelUI::DoEvent(event);
    RunSequenceTick(*this, animation_, event);
}

void CSequenceLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (!ApplySequenceAttribute(animation_, name, value)) CLabelUI::SetAttribute(name, value);
}

void CSequenceLabelUI::SetFramePattern(const std::wstring& pattern) { animation_.pattern = pattern; }

std::wstring CSequenceLabelUI::GetFramePattern() const { return animation_.pattern; }

void CSequenceLabelUI::SetFrameCount(int count) { animation_.count = count; }

int CSequenceLabelUI::GetFrameCount() const { return animation_.count; }

void CSequenceLabelUI::SetFramePeriod(int milliseconds) { animation_.period = milliseconds; }

int CSequenceLabelUI::GetFramePeriod() const { return animation_.period; }

void CSequenceLabelUI::Start()
{
    animation_.index = 0;
    StartSequenceTimer(*this, animation_);
}

}  // namespace DuiLib
