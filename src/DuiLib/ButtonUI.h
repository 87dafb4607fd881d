#pragma once
// A label that reacts to the mouse: state images and colours for hover,
// press and disabled, and "click" when released over itself. Keys never
// click it.

#include "LabelUI.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    // Sends "click"; false when the button is disabled or hidden.
    virtual bool Activate();

    void SetNormalImage(const std::wstring& description);
    void SetHotImage(const std::wstring& description);
    void SetPushedImage(const std::wstring& description);
    void SetDisabledImage(const std::wstring& description);

    SIZE EstimateSize(SIZE available) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoEvent(UIEvent& event) override;
    void PaintStatusImage(HDC dc) override;

protected:
    uint32_t CurrentTextColor() const override;
    // Background colour for hover or press, drawn before the state image.
    void PaintStateColor(HDC dc);

    std::wstring normalImage_;
    std::wstring hotImage_;
    std::wstring pushedImage_;
    std::wstring focusedImage_;
    std::wstring disabledImage_;
    uint32_t hotTextColor_ = 0;
    uint32_t pushedTextColor_ = 0;
    uint32_t focusedTextColor_ = 0;
    uint32_t hotBkColor_ = 0;
    uint32_t pushedBkColor_ = 0;
};

}  // namespace DuiLib
