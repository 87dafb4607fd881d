#pragma once
// A skinned frame around one skin of the embedded archive, shadow included,
// for looking at it.

#include "DuiLib/DuiFrame.h"

namespace DuiLib {

class SkinViewWnd : public CDuiFrame {
public:
    // page: the page of "mainTabLt" to show, or -1 to leave the skin's own.
    SkinViewWnd(const std::wstring& skinFile, int page);

    void OnSkinLoaded() override;
    void OnWindowDestroyed(HWND window) override;
    // The animation controls, as the installer's windows create them.
    std::unique_ptr<CControlUI> CreateControl(const std::wstring& elementName) override;

private:
    int page_;
};

}  // namespace DuiLib
