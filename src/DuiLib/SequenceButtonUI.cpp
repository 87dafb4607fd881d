#include "SequenceButtonUI.h"

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

}  // namespace DuiLib
