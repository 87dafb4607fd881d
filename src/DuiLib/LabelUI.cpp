#include "LabelUI.h"

#include "AttributeValues.h"
#include "PaintManager.h"
#include "RenderEngine.h"
#include "StringTable.h"

namespace DuiLib {

CLabelUI::CLabelUI() = default;

std::wstring CLabelUI::GetClass() const { return L"Label"; }

CControlUI* CLabelUI::GetInterface(const std::wstring& name)
{
    return name == L"Label" ? this : CControlUI::GetInterface(name);
}

void CLabelUI::SetFont(int index)
{
    font_ = index;
    Invalidate();
}

void CLabelUI::SetTextStyle(UINT style)
{
    textStyle_ = style;
    Invalidate();
}

void CLabelUI::SetTextPadding(const RECT& padding)
{
    textPadding_ = padding;
    Invalidate();
}

void CLabelUI::SetTextColor(uint32_t argb)
{
    textColor_ = argb;
    Invalidate();
}

std::wstring CLabelUI::GetDisplayText() const { return StringTable::Expand(GetText()); }

SIZE CLabelUI::MeasureText(HDC dc, const std::wstring& text) const
{
    HFONT font = manager_ ? manager_->GetFont(font_) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    return RenderEngine::MeasureText(dc, font, StringTable::Expand(text), textStyle_, 0);
}

SIZE CLabelUI::EstimateSize(SIZE)
{
    SIZE size = fixed_;
    if (size.cy == 0) {
        // One line of text: the font's height, 8 pixels, and the vertical text padding.
        int fontHeight = manager_ ? manager_->GetFontHeight(font_) : 12;
        size.cy = fontHeight + 8 + textPadding_.top + textPadding_.bottom;
    }
    return size;
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"font") {
        font_ = ParseInt(value);
    } else if (key == L"textcolor") {
        textColor_ = ParseColor(value);
    } else if (key == L"disabledtextcolor") {
        disabledTextColor_ = ParseColor(value);
    } else if (key == L"textpadding") {
        textPadding_ = ParseRect(value);
    } else if (key == L"align") {
        if (ContainsText(value, L"left")) textStyle_ = (textStyle_ & ~(DT_CENTER | DT_RIGHT)) | DT_LEFT;
        if (ContainsText(value, L"center")) textStyle_ = (textStyle_ & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER;
        if (ContainsText(value, L"right")) textStyle_ = (textStyle_ & ~(DT_LEFT | DT_CENTER)) | DT_RIGHT;
    } else if (key == L"valign") {
        if (ContainsText(value, L"top")) textStyle_ = (textStyle_ & ~(DT_BOTTOM | DT_VCENTER)) | DT_TOP;
        if (ContainsText(value, L"vcenter")) textStyle_ = (textStyle_ & ~(DT_TOP | DT_BOTTOM)) | DT_VCENTER;
        if (ContainsText(value, L"bottom")) textStyle_ = (textStyle_ & ~(DT_TOP | DT_VCENTER)) | DT_BOTTOM;
    } else if (key == L"multiline") {
        if (ParseBool(value)) {
            textStyle_ = (textStyle_ & ~DT_SINGLELINE) | DT_WORDBREAK;
        } else {
            textStyle_ = (textStyle_ & ~DT_WORDBREAK) | DT_SINGLELINE;
        }
    } else if (key == L"endellipsis") {
        textStyle_ = ParseBool(value) ? (textStyle_ | DT_END_ELLIPSIS) : (textStyle_ & ~DT_END_ELLIPSIS);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

uint32_t CLabelUI::CurrentTextColor() const
{
    if (!enabled_ && disabledTextColor_ != 0) return disabledTextColor_;
    return textColor_;
}

void CLabelUI::PaintText(HDC dc) { PaintTextWithColor(dc, CurrentTextColor()); }

void CLabelUI::PaintTextWithColor(HDC dc, uint32_t argb)
{
    std::wstring text = GetDisplayText();
    if (text.empty() || !manager_) return;
    RECT rc{rcItem_.left + textPadding_.left, rcItem_.top + textPadding_.top, rcItem_.right - textPadding_.right,
            rcItem_.bottom - textPadding_.bottom};
    RenderEngine::DrawTextInRect(dc, manager_->GetFont(font_), rc, text, argb, textStyle_);
}

}  // namespace DuiLib
