#pragma once
// A plain frame around one skin of the embedded archive, for looking at it.

#include "DuiLib/WindowImplBase.h"

namespace DuiLib {

class SkinViewWnd : public WindowImplBase {
public:
    // page: the page of "mainTabLt" to show, or -1 to leave the skin's own.
    SkinViewWnd(std::wstring skinFile, int page);

    std::wstring WindowClassName() const override;
    std::wstring SkinFolder() const override;
    std::wstring SkinFile() const override;
    int ResourceKind() const override;
    LPCWSTR ResourceId() const override;
    void OnSkinLoaded() override;
    void OnWindowDestroyed(HWND window) override;
    // The animation controls, as the installer's windows create them.
    CControlUI* CreateControl(const std::wstring& elementName) override;

private:
    std::wstring skinFile_;
    int page_;
};

}  // namespace DuiLib
