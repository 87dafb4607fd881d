#include "SkinViewWnd.h"

#include "DuiLib/SequenceControls.h"
#include "DuiLib/TabLayoutUI.h"

namespace DuiLib {

namespace {

constexpr int kSkinArchiveResource = 147;

}  // namespace

SkinViewWnd::SkinViewWnd(const std::wstring& skinFile, int page)
    : CDuiFrame(FrameSkinSpec::InArchiveResource(kSkinArchiveResource, skinFile)), page_(page)
{
}

void SkinViewWnd::OnSkinLoaded()
{
    CDuiFrame::OnSkinLoaded();
    if (page_ < 0) return;
    auto* tabs = static_cast<CTabLayoutUI*>(paintManager_.FindControl(L"mainTabLt"));
    if (tabs && tabs->GetInterface(L"TabLayout")) tabs->SelectItem(page_, false);
}

std::unique_ptr<CControlUI> SkinViewWnd::CreateControl(const std::wstring& elementName)
{
    return CreateSequenceControl(elementName);
}

void SkinViewWnd::OnWindowDestroyed(HWND window)
{
    WindowImplBase::OnWindowDestroyed(window);
    ::PostQuitMessage(0);
}

}  // namespace DuiLib
