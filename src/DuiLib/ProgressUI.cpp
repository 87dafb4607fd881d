#include "ProgressUI.h"

#include "AttributeValues.h"
#include "ImageDescription.h"
#include "PaintManager.h"
#include "RenderEngine.h"

namespace DuiLib {

std::wstring CProgressUI::GetClass() const { return L"Progress"; }

CControlUI* CProgressUI::GetInterface(const std::wstring& name)
{
    return name == L"Progress" ? this : CLabelUI::GetInterface(name);
}

void CProgressUI::SetValue(int value)
{
    if (value < minValue_) value = minValue_;
    if (value > maxValue_) value = maxValue_;
    if (value_ == value) return;
    value_ = value;
    Invalidate();
}

void CProgressUI::SetMinValue(int value)
{
    minValue_ = value;
    if (maxValue_ < minValue_) maxValue_ = minValue_;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetMaxValue(int value)
{
    maxValue_ = value;
    if (minValue_ > maxValue_) minValue_ = maxValue_;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetForeImage(const std::wstring& description)
{
    foreImage_ = description;
    Invalidate();
}

int CProgressUI::FillLength(int value, int minValue, int maxValue, int length)
{
    if (maxValue <= minValue || length <= 0) return 0;
    long long part = static_cast<long long>(value - minValue) * length / (maxValue - minValue);
    if (part < 0) part = 0;
    if (part > length) part = length;
    return static_cast<int>(part);
}

int CProgressUI::FillLength() const
{
    int length = horizontal_ ? rcItem_.right - rcItem_.left : rcItem_.bottom - rcItem_.top;
    return FillLength(value_, minValue_, maxValue_, length);
}

void CProgressUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"foreimage") {
        foreImage_ = value;
    } else if (key == L"hor") {
        horizontal_ = ParseBool(value);
    } else if (key == L"min") {
        SetMinValue(ParseInt(value));
    } else if (key == L"max") {
        SetMaxValue(ParseInt(value));
    } else if (key == L"value") {
        SetValue(ParseInt(value));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::PaintStatusImage(HDC dc)
{
    int fill = FillLength();
    if (fill <= 0 || foreImage_.empty() || !manager_) return;
    ImageDescription desc = ParseImageDescription(foreImage_);
    const ImageData* image = manager_->GetImage(desc.file, desc.resourceType, desc.hasMask, desc.mask);
    if (!image) return;
    int width = rcItem_.right - rcItem_.left;
    int height = rcItem_.bottom - rcItem_.top;
    desc.dest = horizontal_ ? RECT{0, 0, fill, height} : RECT{0, height - fill, width, height};
    desc.hasDest = true;
    RenderEngine::DrawImage(dc, *image, rcItem_, desc);
}

}  // namespace DuiLib
