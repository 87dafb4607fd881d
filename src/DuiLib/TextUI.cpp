#include "TextUI.h"

namespace DuiLib {

std::wstring CTextUI::GetClass() const { return L"Text"; }

CControlUI* CTextUI::GetInterface(const std::wstring& name)
{
    return name == L"Text" ? this : CLabelUI::GetInterface(name);
}

}  // namespace DuiLib
