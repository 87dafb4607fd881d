#include "CheckBoxUI.h"

namespace DuiLib {

std::wstring CCheckBoxUI::GetClass() const { return L"CheckBox"; }

CControlUI* CCheckBoxUI::GetInterface(const std::wstring& name)
{
    return name == L"CheckBox" ? this : COptionUI::GetInterface(name);
}

}  // namespace DuiLib
