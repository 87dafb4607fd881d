// Every skin opened with skinview.exe under the display: a screenshot of what
// the user sees goes to the test output folder, and the screen must show the
// skin's colours where its controls are.

#include "DuiLib/ImageData.h"
#include "DuiLib/TabLayoutUI.h"
#include "ScreenCapture.h"
#include "SkinViewProcess.h"
#include "ToolkitSkinTree.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TestSupport::ClassOf;
using TestSupport::ScreenCapture;
using TestSupport::SkinViewProcess;
using TestSupport::TextOf;
using TestSupport::ToolkitSkinTree;

struct ShotCase {
    const wchar_t* skin;
    int page;  // -1: the skin as it opens
    const wchar_t* control;
    POINT offset;  // inside the control
    // The colour expected there: a fixed one, or the pixel of an archive image.
    uint32_t colour;
    const wchar_t* image;
    POINT imagePoint;
};

std::string CaseName(const ShotCase& shot)
{
    std::wstring name = shot.skin;
    name = name.substr(0, name.find(L'.'));
    if (shot.page >= 0) name += L"-page" + std::to_wstring(shot.page);
    return std::string(name.begin(), name.end());
}

uint32_t ExpectedColour(const ShotCase& shot)
{
    if (!shot.image) return shot.colour;
    DuiLib::ImagePtr image = DuiLib::LoadImageByName(shot.image, L"", false, 0);
    return image ? (image->PixelAt(shot.imagePoint.x, shot.imagePoint.y) & 0xFFFFFFu) : 0xFF000000u;
}

// Where the control sits in the window, from the same skin laid out here,
// and the window size the skin asks for.
RECT ControlBox(const ShotCase& shot, SIZE& windowSize)
{
    ToolkitSkinTree tree;
    if (!tree.Build(shot.skin)) return RECT{-1, -1, -1, -1};
    windowSize = tree.Manager().GetInitSize();
    if (shot.page >= 0) {
        auto* tabs = tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
        if (!tabs || !tabs->SelectItem(shot.page, false)) return RECT{-1, -1, -1, -1};
        SIZE size = tree.Manager().GetInitSize();
        tree.Layout(size.cx, size.cy);
    }
    return tree.Rect(shot.control);
}

class WindowSkinView : public ::testing::TestWithParam<ShotCase> {};

TEST_P(WindowSkinView, ScreenshotShowsTheSkin)
{
    const ShotCase& shot = GetParam();
    ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive());
    SIZE windowSize{0, 0};
    RECT control = ControlBox(shot, windowSize);
    ASSERT_GE(control.left, 0) << "control not in the skin";
    uint32_t expected = ExpectedColour(shot);
    ASSERT_EQ(0u, expected & 0xFF000000u) << "expected colour unavailable";

    std::wstring skin = shot.skin;
    std::wstring className = skin.substr(0, skin.find_last_of(L'.'));
    std::wstring arguments = skin + (shot.page >= 0 ? L" -page=" + std::to_wstring(shot.page) : L"");
    SkinViewProcess viewer;
    ASSERT_TRUE(viewer.Start(arguments));
    HWND window = viewer.WaitForWindow([&](HWND hwnd) { return ClassOf(hwnd) == className; });
    ASSERT_NE(nullptr, window) << "skinview showed no window";

    // Read the screen until the skin is painted there (or give up and judge the last picture).
    RECT box{};
    ScreenCapture capture;
    POINT probe{control.left + shot.offset.x, control.top + shot.offset.y};
    for (int attempt = 0; attempt < 50; ++attempt) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::GetWindowRect(window, &box);
        capture = TestSupport::CaptureScreen(box);
        if (capture.At(probe.x, probe.y) == expected && capture.DistinctColours() > 8) break;
        ::Sleep(100);
    }
    std::string name = CaseName(shot);
    std::wstring file = TestSupport::OutputDir() + L"\\skinview-" + std::wstring(name.begin(), name.end()) + L".png";
    EXPECT_TRUE(capture.SavePng(file));

    EXPECT_EQ(windowSize.cx, box.right - box.left) << "the skin's size";
    EXPECT_EQ(windowSize.cy, box.bottom - box.top);
    EXPECT_GT(capture.DistinctColours(), 8u) << "the window looks blank";
    EXPECT_EQ(TestSupport::HexColour(expected), TestSupport::HexColour(capture.At(probe.x, probe.y)))
        << "at the control " << std::string(shot.control, shot.control + wcslen(shot.control));

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, viewer.WaitForExit()) << "skinview ends when its window is closed";
}

INSTANTIATE_TEST_SUITE_P(
    Skins, WindowSkinView,
    ::testing::Values(
        ShotCase{L"mainWnd.xml", 0, L"defaultInstallBtn", {20, 23}, 0, L"res\\mainWnd\\installBtn1.png", {20, 23}},
        ShotCase{L"mainWnd.xml", 1, L"customeInstallBtn", {20, 23}, 0, L"res\\mainWnd\\installBtn1.png", {20, 23}},
        ShotCase{L"mainWnd.xml", 2, L"installPrg", {260, 4}, 0, L"res\\mainWnd\\installPrg1.png", {200, 4}},
        ShotCase{L"mainWnd.xml", 3, L"openProduceBtn", {20, 23}, 0, L"res\\mainWnd\\experienceBtn1.png", {20, 23}},
        ShotCase{L"MessageBox1Wnd.xml", -1, L"captionLbl", {150, 2}, 0xF5FAFE, nullptr, {0, 0}},
        ShotCase{L"MessageBox2Wnd.xml", -1, L"textLbl", {5, 140}, 0xFFFFFF, nullptr, {0, 0}},
        ShotCase{L"exitTipWnd.xml", -1, L"cancelBtn", {4, 4}, 0x1675FE, nullptr, {0, 0}},
        ShotCase{L"NetworkTipWnd.xml", -1, L"okBtn", {4, 4}, 0x1675FE, nullptr, {0, 0}},
        ShotCase{L"InstalledPathTipWnd.xml", -1, L"okBtn", {4, 4}, 0x1675FE, nullptr, {0, 0}}),
    [](const ::testing::TestParamInfo<ShotCase>& info) {
        std::string name = CaseName(info.param);
        for (auto& c : name) {
            if (c == '-') c = '_';
        }
        return name;
    });

BOOL CALLBACK CollectText(HWND child, LPARAM param)
{
    reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(TextOf(child));
    return TRUE;
}

TEST(WindowSkinView, SkinThatCannotBeBuiltEndsTheProcess)
{
    SkinViewProcess viewer;
    ASSERT_TRUE(viewer.Start(L"NoSuchSkin.xml"));
    HWND box = viewer.WaitForWindow([](HWND hwnd) { return TextOf(hwnd) == L"Duilib"; });
    ASSERT_NE(nullptr, box) << "no load-failure message";
    std::vector<std::wstring> texts;
    ::EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&texts));
    bool saysSo = false;
    for (const auto& text : texts) saysSo = saysSo || text == L"加载资源文件失败";
    EXPECT_TRUE(saysSo);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1, viewer.WaitForExit());
}

}  // namespace
