#include "SequenceButtonUI.h"

#include "SequenceControls.h"

namespace DuiLib {

CSequenceButtonUI::CSequenceButtonUI()
{
    animation_.roundTrip = true;
    animation_.period = 60;
}

std::wstring CSequenceButtonUI::GetClass() const { return L"SequenceButton"; }

CControlUI* CSequenceButtonUI::GetInterface(const std::wstring& name)
{
    return name == L"SequenceButton" ? this : CButtonUI::GetInterface(name);
}

void CSequenceButtonUI::DoInit()
{
    CButtonUI::DoInit();
    if (animation_.autostart) StartSequenceTimer(*this, animation_);
}

void CSequenceButtonUI::DoEvent(UIEvent& event)
{
    CButtonUI::DoEvent(event);
    RunSequenceTick(*this, animation_, event);
}

void CSequenceButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (!ApplySequenceAttribute(animation_, name, value)) CButtonUI::SetAttribute(name, value);
}

void CSequenceButtonUI::SetFramePattern(const std::wstring& pattern) { animation_.pattern = pattern; }

std::wstring CSequenceButtonUI::GetFramePattern() const { return animation_.pattern; }

void CSequenceButtonUI::SetFrameCount(int count) { animation_.count = count; }

int CSequenceButtonUI::GetFrameCount() const { return animation_.count; }

void CSequenceButtonUI::SetFramePeriod(int milliseconds) { animation_.period = milliseconds; }

int CSequenceButtonUI::GetFramePeriod() const { return animation_.period; }

}  // namespace DuiLib
