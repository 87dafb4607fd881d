#include "ControlUI.h"

#include "AttributeValues.h"
#include "ImageDescription.h"
#include "PaintManager.h"
#include "RenderEngine.h"

namespace DuiLib {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (manager_) manager_->ReapObjects(this);
}

std::wstring CControlUI::GetClass() const { return L"Control"; }

CControlUI* CControlUI::GetInterface(const std::wstring& name) { return name == L"Control" ? this : nullptr; }

std::wstring CControlUI::GetText() const { return text_; }

void CControlUI::SetText(const std::wstring& text)
{
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible)
{
    if (visible_ == visible) return;
    bool was = IsVisible();
    visible_ = visible;
    if (!IsVisible()) DropInput();
    if (was != IsVisible()) NeedUpdate();
}

void CControlUI::SetInternVisible(bool visible)
{
    internVisible_ = visible;
    if (!IsVisible()) DropInput();
}

void CControlUI::DropInput()
{
    // A hidden control hears no more mouse events, so its hover and press
    // looks would otherwise come back with it when it is shown again.
    state_ &= ~(StateHot | StatePushed | StateCaptured);
    if (manager_) manager_->ReleaseInputFrom(this);
}

void CControlUI::SetEnabled(bool enabled)
{
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled_) state_ &= ~(StateHot | StatePushed | StateCaptured);
    Invalidate();
}

void CControlUI::SetFocus()
{
    if (manager_) manager_->SetFocus(this);
}

void CControlUI::SetState(UINT bits, bool on)
{
    UINT next = on ? (state_ | bits) : (state_ & ~bits);
    if (next == state_) return;
    state_ = next;
    Invalidate();
}

bool CControlUI::TrackPress(const UIEvent& event)
{
    bool inside = ::PtInRect(&rcItem_, event.point) != FALSE;
    switch (event.type) {
    case UIEventType::ButtonDown:
    case UIEventType::DoubleClick:
        if (inside) SetState(StatePushed | StateCaptured, true);
        return false;
    case UIEventType::MouseMove:
        if (state_ & StateCaptured) SetState(StatePushed, inside);
        return false;
    case UIEventType::ButtonUp:
        if (!(state_ & StateCaptured)) return false;
        SetState(StatePushed | StateCaptured, false);
        return inside;
    case UIEventType::MouseEnter:
        SetState(StateHot, true);
        return false;
    case UIEventType::MouseLeave:
        SetState(StateHot, false);
        return false;
    default:
        return false;
    }
}

void CControlUI::SetPos(const RECT& rc)
{
    RECT fixed = rc;
    if (fixed.right < fixed.left) fixed.right = fixed.left;
    if (fixed.bottom < fixed.top) fixed.bottom = fixed.top;
    rcItem_ = fixed;
}

void CControlUI::SetPadding(const RECT& padding)
{
    padding_ = padding;
    NeedUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0) cx = 0;
    if (fixed_.cx == cx) return;
    fixed_.cx = cx;
    NeedUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0) cy = 0;
    if (fixed_.cy == cy) return;
    fixed_.cy = cy;
    NeedUpdate();
}

SIZE CControlUI::EstimateSize(SIZE) { return fixed_; }

void CControlUI::SetBkColor(uint32_t argb)
{
    bkColor_ = argb;
    Invalidate();
}

void CControlUI::SetBkImage(const std::wstring& description)
{
    bkImage_ = description;
    Invalidate();
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"name") {
        name_ = value;
    } else if (key == L"text") {
        text_ = value;
    } else if (key == L"userdata") {
        userData_ = value;
    } else if (key == L"pos") {
        RECT rc = ParseRect(value);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (key == L"width") {
        SetFixedWidth(ParseInt(value));
    } else if (key == L"height") {
        SetFixedHeight(ParseInt(value));
    } else if (key == L"minwidth") {
        min_.cx = ParseInt(value);
    } else if (key == L"minheight") {
        min_.cy = ParseInt(value);
    } else if (key == L"maxwidth") {
        max_.cx = ParseInt(value);
    } else if (key == L"maxheight") {
        max_.cy = ParseInt(value);
    } else if (key == L"padding") {
        SetPadding(ParseRect(value));
    } else if (key == L"visible") {
        SetVisible(ParseBool(value));
    } else if (key == L"enabled") {
        SetEnabled(ParseBool(value));
    } else if (key == L"mouse") {
        mouseEnabled_ = ParseBool(value);
    } else if (key == L"bkcolor") {
        SetBkColor(ParseColor(value));
    } else if (key == L"bkimage") {
        SetBkImage(value);
    } else if (key == L"bordersize") {
        borderSize_ = ParseInt(value);
    } else if (key == L"bordercolor") {
        borderColor_ = ParseColor(value);
    } else if (key == L"borderround") {
        borderRound_ = ParseSize(value);
    }
}

void CControlUI::SetManager(PaintManager* manager, CControlUI* parent, bool init)
{
    manager_ = manager;
    parent_ = parent;
    if (init && manager_) DoInit();
}

void CControlUI::DoInit() {}

CControlUI* CControlUI::FindControl(const std::function<bool(CControlUI*)>& match)
{
    return match(this) ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(POINT pt)
{
    if (!IsVisible() || !mouseEnabled_ || !::PtInRect(&rcItem_, pt)) return nullptr;
    return this;
}

void CControlUI::DoEvent(UIEvent& event)
{
    switch (event.type) {
    case UIEventType::Timer:
        if (manager_) manager_->SendNotify(this, L"timer", event.wParam, event.lParam);
        break;
    case UIEventType::SetFocus:
        SetState(StateFocused, true);
        break;
    case UIEventType::KillFocus:
        SetState(StateFocused, false);
        break;
    default:
        break;
    }
}

void CControlUI::DoPaint(HDC dc, const RECT& rcPaint)
{
    RECT overlap;
    if (!::IntersectRect(&overlap, &rcPaint, &rcItem_)) return;
    PaintBkColor(dc);
    PaintBkImage(dc);
    PaintStatusImage(dc);
    PaintText(dc);
    PaintBorder(dc);
}

void CControlUI::PaintBkColor(HDC dc) { RenderEngine::FillRoundColor(dc, rcItem_, borderRound_, bkColor_); }

void CControlUI::PaintBkImage(HDC dc)
{
    if (!bkImage_.empty()) DrawImage(dc, bkImage_);
}

void CControlUI::PaintStatusImage(HDC) {}

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC dc)
{
    RenderEngine::DrawBorder(dc, rcItem_, borderSize_, borderRound_, borderColor_);
}

bool CControlUI::DrawImage(HDC dc, const std::wstring& description)
{
    if (!manager_ || description.empty()) return false;
    ImageDescription desc = ParseImageDescription(description);
    const ImageData* image = manager_->GetImage(desc.file, desc.resourceType, desc.hasMask, desc.mask);
    if (!image) return false;
    RenderEngine::DrawImage(dc, *image, rcItem_, desc);
    return true;
}

void CControlUI::Invalidate()
{
    if (manager_) manager_->Invalidate(rcItem_);
}

void CControlUI::NeedUpdate()
{
    if (manager_) manager_->NeedUpdate();
}

}  // namespace DuiLib
