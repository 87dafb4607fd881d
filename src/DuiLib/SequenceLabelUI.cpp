#include "SequenceLabelUI.h"

#include "PaintManager.h"

namespace DuiLib {

CSequenceLabelUI::~CSequenceLabelUI()
{
    if (manager_) manager_->KillTimer(this, kSequenceTimerId);
}

std::wstring CSequenceLabelUI::GetClass() const { return L"SequenceLabel"; }

CControlUI* CSequenceLabelUI::GetInterface(const std::wstring& name)
{
    return name == L"SequenceLabel" ? this : CLabelUI::GetInterface(name);
}

void CSequenceLabelUI::Start()
{
    animation_.index = 0;
    StartSequenceTimer(*this, animation_);
}

}  // namespace DuiLib
