#include "VerticalLayoutUI.h"

namespace DuiLib {

std::wstring CVerticalLayoutUI::GetClass() const { return L"VerticalLayout"; }

CControlUI* CVerticalLayoutUI::GetInterface(const std::wstring& name)
{
    return name == L"VerticalLayout" ? this : CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    ArrangeAlongAxis(true);
}

}  // namespace DuiLib
