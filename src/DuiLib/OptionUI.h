#pragma once
// A button with a selected state: clicking toggles it (or, inside a group,
// selects it and clears the others) and sends "selectchanged".

#include "ButtonUI.h"

namespace DuiLib {

class COptionUI : public CButtonUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    bool IsSelected() const { return selected_; }
    // Sends "selectchanged" when the state changes and notify is set.
    virtual void Selected(bool selected, bool notify = true);
    const std::wstring& GetGroup() const { return group_; }

    bool Activate() override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void PaintStatusImage(HDC dc) override;

protected:
    uint32_t CurrentTextColor() const override;

    bool selected_ = false;
    std::wstring group_;
    std::wstring selectedImage_;
    uint32_t selectedTextColor_ = 0;
    uint32_t selectedBkColor_ = 0;
};

}  // namespace DuiLib
