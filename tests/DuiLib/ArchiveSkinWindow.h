#pragma once
// A window of the toolkit's base around one skin of the archive embedded in
// the test program, as the installer's windows are, with nothing of its own.

#include "DuiLib/WindowImplBase.h"

#include <string>
#include <utility>

namespace TestSupport {

class ArchiveSkinWindow : public DuiLib::WindowImplBase {
public:
    explicit ArchiveSkinWindow(std::wstring skin, int resourceId = 147)
        : skin_(std::move(skin)), resourceId_(resourceId)
    {
    }

    std::wstring WindowClassName() const override { return L"ToolkitProbe" + skin_.substr(0, skin_.find(L'.')); }
    std::wstring SkinFolder() const override { return L""; }
    std::wstring SkinFile() const override { return skin_; }
    int ResourceKind() const override { return DuiLib::ResourceArchiveModule; }
    LPCWSTR ResourceId() const override { return MAKEINTRESOURCEW(resourceId_); }

    // Shown, titled "probe"; the skin gives the size.
    HWND Open(HWND owner = nullptr)
    {
        return Create(owner, L"probe", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT);
    }

private:
    std::wstring skin_;
    int resourceId_;
};

}  // namespace TestSupport
