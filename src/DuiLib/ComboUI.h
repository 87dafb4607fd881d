#pragma once
// A drop-down choice. Its children are the items (their texts are what is
// shown); a click opens the list as a native pop-up menu, and choosing an
// item sends "itemselect".

#include "ContainerUI.h"
#include "IListOwnerUI.h"

namespace DuiLib {

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    std::wstring GetClass() const override;
    CControlUI* GetInterface(const std::wstring& name) override;

    int GetCurSel() const override { return current_; }
    bool SelectItem(int index, bool takeFocus = false, bool notify = true) override;
    std::wstring GetText() const override;

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;
    CControlUI* FindControlAt(POINT pt) override;
    void DoEvent(UIEvent& event) override;
    void DoPaint(HDC dc, const RECT& rcPaint) override;

private:
    void DropDown();

    int current_ = -1;
    int font_ = -1;
    uint32_t textColor_ = 0xFF000000;
    RECT textPadding_{4, 0, 4, 0};
    std::wstring normalImage_;
    std::wstring hotImage_;
    std::wstring pushedImage_;
};

}  // namespace DuiLib
