#include "OptionUI.h"

#include "AttributeValues.h"
#include "PaintManager.h"
#include "RenderEngine.h"

namespace DuiLib {

std::wstring COptionUI::GetClass() const { return L"Option"; }

CControlUI* COptionUI::GetInterface(const std::wstring& name)
{
    return name == L"Option" ? this : CButtonUI::GetInterface(name);
}

void COptionUI::Selected(bool selected, bool notify)
{
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected_ && !group_.empty() && manager_) {
        manager_->ForEachControl([this](CControlUI* control) {
            auto* other = static_cast<COptionUI*>(control->GetInterface(L"Option"));
            if (other && other != this && other->group_ == group_) other->Selected(false, true);
        });
    }
    Invalidate();
    if (notify && manager_) manager_->SendNotify(this, L"selectchanged");
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate()) return false;
    if (!group_.empty()) {
        Selected(true);
    } else {
        Selected(!selected_);
    }
    return true;
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"selected") {
        Selected(ParseBool(value), false);
    } else if (key == L"group") {
        group_ = value;
    } else if (key == L"selectedimage") {
        selectedImage_ = value;
    } else if (key == L"selectedtextcolor") {
        selectedTextColor_ = ParseColor(value);
    } else if (key == L"selectedbkcolor") {
        selectedBkColor_ = ParseColor(value);
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

uint32_t COptionUI::CurrentTextColor() const
{
    if (selected_ && enabled_ && selectedTextColor_ != 0) return selectedTextColor_;
    return CButtonUI::CurrentTextColor();
}

void COptionUI::PaintStatusImage(HDC dc)
{
    if (selected_) {
        RenderEngine::FillRoundColor(dc, rcItem_, borderRound_, selectedBkColor_);
        if (DrawImage(dc, selectedImage_)) return;
    }
    CButtonUI::PaintStatusImage(dc);
}

}  // namespace DuiLib
