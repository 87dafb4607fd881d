#pragma once
// A horizontal (or vertical) progress bar: the track is the background, the
// fill image covers the part value/(max - min) of the bar.

#include "LabelUI.h"

namespace DuiLib {

class CProgressUI : public CLabelUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    int GetValue() const { return value_; }
    // Clamped to min..max.
    void SetValue(int value);
    int GetMinValue() const { return minValue_; }
    int GetMaxValue() const { return maxValue_; }
    void SetMinValue(int value);
    void SetMaxValue(int value);
    const std::wstring& GetForeImage() const { return foreImage_; }
    void SetForeImage(const std::wstring& description);
    // Pixels of the bar the fill covers.
    int FillLength() const;
    // The fill of a bar of length pixels; 0 for an empty range.
    static int FillLength(int value, int minValue, int maxValue, int length);

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC dc) override;

private:
    bool horizontal_ = true;
    int minValue_ = 0;
    int maxValue_ = 100;
    int value_ = 0;
    std::wstring foreImage_;
};

}  // namespace DuiLib
