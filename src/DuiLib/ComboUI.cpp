#include "ComboUI.h"

#include "AttributeValues.h"
#include "PaintManager.h"
#include "RenderEngine.h"
#include "StringTable.h"

namespace DuiLib {

std::wstring CComboUI::GetClass() const { return L"Combo"; }

CControlUI* CComboUI::GetInterface(const std::wstring& name)
{
    return name == L"Combo" ? this : CContainerUI::GetInterface(name);
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool notify)
{
    if (index < 0 || index >= GetCount()) return false;
    if (takeFocus) SetFocus();
    if (index == current_) return true;
    current_ = index;
    Invalidate();
    if (notify && manager_) manager_->SendNotify(this, L"itemselect", static_cast<WPARAM>(index));
    return true;
}

std::wstring CComboUI::GetText() const
{
    CControlUI* item = GetItemAt(current_);
    return item ? item->GetText() : std::wstring();
}

void CComboUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"font") {
        font_ = ParseInt(value);
    } else if (key == L"textcolor") {
        textColor_ = ParseColor(value);
    } else if (key == L"textpadding") {
        textPadding_ = ParseRect(value);
    } else if (key == L"normalimage") {
        normalImage_ = value;
    } else if (key == L"hotimage") {
        hotImage_ = value;
    } else if (key == L"pushedimage") {
        pushedImage_ = value;
    } else if (key == L"selectedid" || key == L"cursel") {
        current_ = ParseInt(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

// The items live in the drop-down list, not in the box.
void CComboUI::SetPos(const RECT& rc) { CControlUI::SetPos(rc); }

CControlUI* CComboUI::FindControlAt(POINT pt) { return CControlUI::FindControlAt(pt); }

void CComboUI::DoEvent(UIEvent& event)
{
    if (IsEnabled() && TrackPress(event)) DropDown();
    CContainerUI::DoEvent(event);
}

void CComboUI::DropDown()
{
    HWND window = manager_ ? manager_->GetPaintWindow() : nullptr;
    if (!window || GetCount() == 0) return;
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    for (int i = 0; i < GetCount(); ++i) {
        std::wstring text = StringTable::Expand(GetItemAt(i)->GetText());
        ::AppendMenuW(menu, MF_STRING | (i == current_ ? MF_CHECKED : 0), static_cast<UINT_PTR>(i + 1), text.c_str());
    }
    POINT corner{rcItem_.left, rcItem_.bottom};
    ::ClientToScreen(window, &corner);
    int chosen = static_cast<int>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, corner.x, corner.y, 0, window, nullptr));
    ::DestroyMenu(menu);
    if (chosen > 0) SelectItem(chosen - 1, false, true);
}

void CComboUI::DoPaint(HDC dc, const RECT& rcPaint)
{
    RECT overlap;
    if (!::IntersectRect(&overlap, &rcPaint, &rcItem_) || !manager_) return;
    PaintBkColor(dc);
    PaintBkImage(dc);
    bool drawn = false;
    if (state_ & StatePushed) drawn = DrawImage(dc, pushedImage_);
    if (!drawn && (state_ & StateHot)) drawn = DrawImage(dc, hotImage_);
    if (!drawn) DrawImage(dc, normalImage_);
    RECT rc{rcItem_.left + textPadding_.left, rcItem_.top + textPadding_.top, rcItem_.right - textPadding_.right,
            rcItem_.bottom - textPadding_.bottom};
    RenderEngine::DrawTextInRect(dc, manager_->GetFont(font_), rc, StringTable::Expand(GetText()), textColor_,
                                 DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    PaintBorder(dc);
}

}  // namespace DuiLib
