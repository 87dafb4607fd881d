#include "TabLayoutUI.h"

#include "AttributeValues.h"
#include "PaintManager.h"

namespace DuiLib {

std::wstring CTabLayoutUI::GetClass() const { return L"TabLayout"; }

CControlUI* CTabLayoutUI::GetInterface(const std::wstring& name)
{
    return name == L"TabLayout" ? this : CContainerUI::GetInterface(name);
}

void CTabLayoutUI::ShowOnly(int index)
{
    for (int i = 0; i < GetCount(); ++i) items_[i]->SetVisible(i == index);
}

bool CTabLayoutUI::SelectItem(int index, bool notify)
{
    if (index < 0 || index >= GetCount()) return false;
    // The page already shown: nothing changes, so nothing is announced (a
    // "tabselect" handler that selects pages would otherwise never end).
    if (index == current_) return true;
    int old = current_;
    current_ = index;
    ShowOnly(index);
    NeedUpdate();
    if (manager_) {
        // Focus inside a page that goes away would keep typing into hidden controls.
        CControlUI* focus = manager_->GetFocus();
        if (focus && !focus->IsVisible()) manager_->SetFocus(nullptr);
        if (notify) manager_->SendNotify(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    }
    return true;
}

void CTabLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"selectedid") {
        current_ = ParseInt(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTabLayoutUI::DoInit()
{
    if (current_ < 0 || current_ >= GetCount()) current_ = 0;
    ShowOnly(current_);
}

void CTabLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    if (CControlUI* page = GetItemAt(current_)) {
        if (page->IsVisible()) PlaceFilling(page, InnerBox());
    }
}

}  // namespace DuiLib
