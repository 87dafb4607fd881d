#include "ButtonUI.h"

#include "AttributeValues.h"
#include "PaintManager.h"
#include "RenderEngine.h"

namespace DuiLib {

CButtonUI::CButtonUI() { textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

std::wstring CButtonUI::GetClass() const { return L"Button"; }

CControlUI* CButtonUI::GetInterface(const std::wstring& name)
{
    return name == L"Button" ? this : CLabelUI::GetInterface(name);
}

bool CButtonUI::Activate()
{
    if (!IsVisible() || !IsEnabled()) return false;
    if (manager_) manager_->SendNotify(this, L"click");
    return true;
}

void CButtonUI::SetNormalImage(const std::wstring& description)
{
    normalImage_ = description;
    Invalidate();
}

void CButtonUI::SetHotImage(const std::wstring& description)
{
    hotImage_ = description;
    Invalidate();
}

void CButtonUI::SetPushedImage(const std::wstring& description)
{
    pushedImage_ = description;
    Invalidate();
}

void CButtonUI::SetDisabledImage(const std::wstring& description)
{
    disabledImage_ = description;
    Invalidate();
}

// Buttons size by their attributes only, never by their text.
SIZE CButtonUI::EstimateSize(SIZE available) { return CControlUI::EstimateSize(available); }

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"normalimage") {
        normalImage_ = value;
    } else if (key == L"hotimage") {
        hotImage_ = value;
    } else if (key == L"pushedimage") {
        pushedImage_ = value;
    } else if (key == L"focusedimage") {
        focusedImage_ = value;
    } else if (key == L"disabledimage") {
        disabledImage_ = value;
    } else if (key == L"hottextcolor") {
        hotTextColor_ = ParseColor(value);
    } else if (key == L"pushedtextcolor") {
        pushedTextColor_ = ParseColor(value);
    } else if (key == L"focusedtextcolor") {
        focusedTextColor_ = ParseColor(value);
    } else if (key == L"hotbkcolor") {
        hotBkColor_ = ParseColor(value);
    } else if (key == L"pushedbkcolor") {
        pushedBkColor_ = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

// Only the mouse clicks a button. Any press leaves the focus on the control
// under it, and the skins draw no focus, so a key that clicked the focused
// button would answer a prompt the user never meant to answer (the "yes,
// leave" button of a press that was dragged off, then a Space much later).
void CButtonUI::DoEvent(UIEvent& event)
{
    if (IsEnabled() && TrackPress(event)) Activate();
    CLabelUI::DoEvent(event);
}

uint32_t CButtonUI::CurrentTextColor() const
{
    if (!enabled_) return CLabelUI::CurrentTextColor();
    if ((state_ & StatePushed) && pushedTextColor_ != 0) return pushedTextColor_;
    if ((state_ & StateHot) && hotTextColor_ != 0) return hotTextColor_;
    if ((state_ & StateFocused) && focusedTextColor_ != 0) return focusedTextColor_;
    return textColor_;
}

void CButtonUI::PaintStateColor(HDC dc)
{
    uint32_t color = 0;
    if (enabled_ && (state_ & StatePushed)) {
        color = pushedBkColor_;
    } else if (enabled_ && (state_ & StateHot)) {
        color = hotBkColor_;
    }
    RenderEngine::FillRoundColor(dc, rcItem_, borderRound_, color);
}

void CButtonUI::PaintStatusImage(HDC dc)
{
    PaintStateColor(dc);
    if (!enabled_) {
        if (DrawImage(dc, disabledImage_)) return;
    } else if (state_ & StatePushed) {
        if (DrawImage(dc, pushedImage_)) return;
    } else if (state_ & StateHot) {
        if (DrawImage(dc, hotImage_)) return;
    } else if (state_ & StateFocused) {
        if (DrawImage(dc, focusedImage_)) return;
    }
    DrawImage(dc, normalImage_);
}

}  // namespace DuiLib
