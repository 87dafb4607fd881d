#pragma once
// A control with a caption: font by index, colours, alignment, padding,
// wrapping, and %{N} string references resolved when drawn or measured.

#include "ControlUI.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    int GetFont() const { return font_; }
    void SetFont(int index);
    UINT GetTextStyle() const { return textStyle_; }
    void SetTextStyle(UINT style);
    const RECT& GetTextPadding() const { return textPadding_; }
    void SetTextPadding(const RECT& padding);
    uint32_t GetTextColor() const { return textColor_; }
    void SetTextColor(uint32_t argb);
    // The text as drawn: string references replaced.
    std::wstring GetDisplayText() const;
    // Size of the given text in this label's font and style on dc.
    SIZE MeasureText(HDC dc, const std::wstring& text) const;

    SIZE EstimateSize(SIZE available) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintText(HDC dc) override;

protected:
    // Text colour for the current state; buttons and options refine it.
    virtual uint32_t CurrentTextColor() const;
    void PaintTextWithColor(HDC dc, uint32_t argb);

    int font_ = -1;
    UINT textStyle_ = DT_VCENTER | DT_SINGLELINE;
    RECT textPadding_{0, 0, 0, 0};
    uint32_t textColor_ = 0xFF000000;
    uint32_t disabledTextColor_ = 0;
};

}  // namespace DuiLib
