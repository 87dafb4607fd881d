#include "HorizontalLayoutUI.h"

namespace DuiLib {

std::wstring CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayout"; }

CControlUI* CHorizontalLayoutUI::GetInterface(const std::wstring& name)
{
    return name == L"HorizontalLayout" ? this : CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    ArrangeAlongAxis(false);
}

}  // namespace DuiLib
