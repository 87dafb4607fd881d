#include "SkinViewWnd.h"

#include "DuiLib/SequenceControls.h"
#include "DuiLib/TabLayoutUI.h"

#include <utility>

namespace DuiLib {

SkinViewWnd::SkinViewWnd(std::wstring skinFile, int page) : skinFile_(std::move(skinFile)), page_(page) {}

std::wstring SkinViewWnd::WindowClassName() const
{
    size_t dot = skinFile_.find_last_of(L'.');
    return dot == std::wstring::npos ? skinFile_ : skinFile_.substr(0, dot);
}

std::wstring SkinViewWnd::SkinFolder() const { return std::wstring(); }

std::wstring SkinViewWnd::SkinFile() const { return skinFile_; }

int SkinViewWnd::ResourceKind() const { return ResourceArchiveModule; }

LPCWSTR SkinViewWnd::ResourceId() const { return MAKEINTRESOURCEW(147); }

void SkinViewWnd::OnSkinLoaded()
{
    if (page_ < 0) return;
    auto* tabs = static_cast<CTabLayoutUI*>(paintManager_.FindControl(L"mainTabLt"));
    if (tabs && tabs->GetInterface(L"TabLayout")) tabs->SelectItem(page_, false);
}

CControlUI* SkinViewWnd::CreateControl(const std::wstring& elementName)
{
    return CreateSequenceControl(elementName).release();
}

void SkinViewWnd::OnWindowDestroyed(HWND window)
{
    WindowImplBase::OnWindowDestroyed(window);
    ::PostQuitMessage(0);
}

}  // namespace DuiLib
