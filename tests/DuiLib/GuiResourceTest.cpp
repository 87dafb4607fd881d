// Skinned windows made, shown, painted, hovered, edited and destroyed again
// and again leave no GDI or USER objects behind.
//
// Windows counts them with GetGuiResources. Wine answers that with 0 (it is
// not implemented there), so the counts come from the handle tables instead:
// Wine's GDI and USER accept a handle's table index without its generation,
// so asking every index for its object finds every live object. Each test
// first checks that the count it uses sees objects come and go.

#include "ArchiveSkinWindow.h"
#include "DuiLib/ControlUI.h"
#include "DuiLib/EditUI.h"
#include "DuiLib/TabLayoutUI.h"
#include "ToolkitSkinTree.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

namespace {

size_t GdiObjectCount()
{
    if (DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return reported;
    size_t count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    }
    return count;
}

// Windows of this process and menus: the USER objects the toolkit makes
// (icons and cursors it takes are the system's shared ones).
size_t UserObjectCount()
{
    if (DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)) return reported;
    const DWORD self = ::GetCurrentProcessId();
    size_t count = 0;
    for (ULONG_PTR index = 0x20; index < 0x10000; index += 2) {
        HWND window = reinterpret_cast<HWND>(index);
        DWORD owner = 0;
        if (::IsWindow(window) && ::GetWindowThreadProcessId(window, &owner) && owner == self) ++count;
        if (::IsMenu(reinterpret_cast<HMENU>(index))) ++count;
    }
    return count;
}

LPARAM CentreOf(const RECT& rc) { return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2); }

void Repaint(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
}

// Paints the shown page, then again with the pointer over its last button,
// so a state image is loaded and drawn too.
void PaintPage(DuiLib::PaintManager& manager, HWND window)
{
    Repaint(window);
    manager.EnsureLayout();
    RECT button{-1, -1, -1, -1};
    manager.ForEachControl([&button](DuiLib::CControlUI* control) {
        if (control->IsVisible() && control->GetInterface(L"Button")) button = control->GetPos();
    });
    ::SendMessageW(window, WM_MOUSEMOVE, 0, CentreOf(button));
    Repaint(window);
    ::SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
}

// One life of a window: created, shown centred, painted on every page of
// the main skin with the buttons hovered, the folder edited, then destroyed.
void OneLifetime(const std::wstring& skin)
{
    TestSupport::ArchiveSkinWindow window(skin);
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    window.CenterWindow();
    DuiLib::PaintManager& manager = window.GetPaintManager();
    PaintPage(manager, hwnd);
    if (auto* tabs = static_cast<DuiLib::CTabLayoutUI*>(manager.FindControl(L"mainTabLt"))) {
        if (auto* progress = manager.FindControl(L"installPrg")) progress->SetAttribute(L"value", L"50");
        for (int page = tabs->GetCount() - 1; page >= 0; --page) {
            tabs->SelectItem(page);
            PaintPage(manager, hwnd);
        }
        tabs->SelectItem(1);
        manager.EnsureLayout();
        auto* edit = static_cast<DuiLib::CEditUI*>(manager.FindControl(L"installDirEdit"));
        ASSERT_NE(nullptr, edit);
        edit->SetFocus();
        EXPECT_NE(nullptr, edit->GetNativeEdit());
        manager.SetFocus(nullptr);
        Repaint(hwnd);
    }
    TestSupport::PumpFor(50);
    ::DestroyWindow(hwnd);
    TestSupport::PumpFor(50);
}

struct Counts {
    size_t gdi;
    size_t user;
};

Counts Measure()
{
    TestSupport::PumpFor(50);
    return Counts{GdiObjectCount(), UserObjectCount()};
}

class GuiResources : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override { ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive()); }
};

TEST(GuiResourceCount, SeesObjectsComeAndGo)
{
    Counts before = Measure();
    std::vector<HBITMAP> bitmaps;
    for (int i = 0; i < 20; ++i) bitmaps.push_back(::CreateBitmap(4, 4, 1, 32, nullptr));
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 4, 4, nullptr, nullptr, nullptr, nullptr);
    HMENU menu = ::CreatePopupMenu();
    Counts during = Measure();
    for (HBITMAP bitmap : bitmaps) ::DeleteObject(bitmap);
    ::DestroyWindow(window);
    ::DestroyMenu(menu);
    Counts after = Measure();
    EXPECT_GE(during.gdi, before.gdi + 20);
    EXPECT_GE(during.user, before.user + 2);
    EXPECT_LE(after.gdi, during.gdi - 20);
    EXPECT_LE(after.user, during.user - 2);
}

TEST_P(GuiResources, StayFlatOverRepeatedWindowLifetimes)
{
    const std::wstring skin = GetParam();
    // Warm-up: window classes, the system's caches and shared images settle.
    // Under Wine without a window manager each visible window takes about two
    // seconds to go away, which keeps the number of lifetimes small.
    OneLifetime(skin);
    Counts before = Measure();
    const int lifetimes = 6;
    for (int i = 0; i < lifetimes; ++i) OneLifetime(skin);
    Counts after = Measure();
    std::cout << "GDI objects " << before.gdi << " -> " << after.gdi << ", USER objects " << before.user << " -> "
              << after.user << " over " << lifetimes << " lifetimes\n";
    // A leak of even one object per lifetime would show as 6 or more.
    EXPECT_LE(after.gdi, before.gdi + 2);
    EXPECT_LE(after.user, before.user + 1);
}

INSTANTIATE_TEST_SUITE_P(Skins, GuiResources, ::testing::Values(L"mainWnd.xml", L"MessageBox2Wnd.xml"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return std::wstring(info.param) == L"mainWnd.xml" ? std::string("Main")
                                                                              : std::string("Prompt");
                         });

}  // namespace
