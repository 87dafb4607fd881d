// Control boxes computed from the shipped skins, without a window.

#include "DuiLib/TabLayoutUI.h"
#include "ToolkitSkinTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TestSupport::ToolkitSkinTree;

struct ExpectedBox {
    const wchar_t* name;
    RECT box;
};

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom) + ")";
}

void ExpectBoxes(const ToolkitSkinTree& tree, const std::vector<ExpectedBox>& boxes)
{
    for (const ExpectedBox& expected : boxes) {
        RECT actual = tree.Rect(expected.name);
        EXPECT_EQ(Describe(expected.box), Describe(actual)) << "control " << std::string(expected.name,
                                                                                          expected.name + wcslen(expected.name));
    }
}

// The first control whose background image names the given file.
RECT BoxWithImage(ToolkitSkinTree& tree, const std::wstring& file)
{
    RECT found{-1, -1, -1, -1};
    tree.Manager().ForEachControl([&](DuiLib::CControlUI* control) {
        if (found.left == -1 && control->GetBkImage().find(file) != std::wstring::npos) found = control->GetPos();
    });
    return found;
}

void SelectMainPage(ToolkitSkinTree& tree, int page)
{
    auto* tabs = tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    ASSERT_NE(nullptr, tabs);
    ASSERT_TRUE(tabs->SelectItem(page, false));
    tree.Layout(600, 400);
}

TEST(LayoutMainSkin, TitleBarAndStartPage)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"MainWnd.xml"));
    EXPECT_EQ(600, tree.Manager().GetInitSize().cx);
    EXPECT_EQ(400, tree.Manager().GetInitSize().cy);
    ExpectBoxes(tree, {
                          // The root fills the window whatever its own width and height say.
                          {L"winCtn", {0, 0, 600, 400}},
                          {L"titleTabLt", {10, 0, 210, 45}},
                          {L"titleGrpCtn", {514, 12, 586, 36}},
                          {L"minbtn", {514, 12, 538, 36}},
                          {L"closebtn", {562, 12, 586, 36}},
                          {L"mainTabLt", {1, 45, 599, 400}},
                          // 200 wide in a 598-wide page: 199 of free space on each side.
                          {L"defaultInstallBtn", {200, 217, 400, 263}},
                          // The hidden licence group takes no room; the spacer before the button takes it all.
                          {L"customeBtn", {489, 361, 589, 379}},
                      });
    EXPECT_EQ(Describe(RECT{154, 105, 446, 167}), Describe(BoxWithImage(tree, L"logo.png")));
}

TEST(LayoutMainSkin, StartStateOfThePages)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    EXPECT_EQ(0, tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->GetCurSel());
    EXPECT_EQ(0, tree.As<DuiLib::CTabLayoutUI>(L"titleTabLt", L"TabLayout")->GetCurSel());
    EXPECT_FALSE(tree.Find(L"tipLbl")->IsVisible());
    EXPECT_FALSE(tree.Find(L"treatyCb")->IsVisible());
    EXPECT_FALSE(tree.Find(L"backBtn")->IsVisible());
    EXPECT_TRUE(tree.Find(L"defaultInstallBtn")->IsVisible());
    EXPECT_FALSE(tree.Find(L"installPrg")->IsVisible());
    // Names the code looks up that the skin does not define.
    for (const wchar_t* missing : {L"serviceCb", L"softNameLbl", L"languageCombo", L"installLogo", L"finishedLbl"}) {
        EXPECT_EQ(nullptr, tree.Find(missing));
    }
}

TEST(LayoutMainSkin, CustomInstallPage)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    SelectMainPage(tree, 1);
    ExpectBoxes(tree, {
                          {L"installDirEdit", {129, 181, 469, 217}},
                          {L"chDirBtn", {479, 181, 560, 217}},
                          {L"createDSCb", {125, 237, 263, 255}},
                          {L"createQSCb", {283, 237, 421, 255}},
                          {L"customeInstallBtn", {200, 304, 400, 350}},
                      });
    EXPECT_FALSE(tree.Find(L"defaultInstallBtn")->IsVisible());
}

TEST(LayoutMainSkin, ProgressPage)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    SelectMainPage(tree, 2);
    ExpectBoxes(tree, {
                          {L"progressLb", {120, 300, 480, 324}},
                          // 520 wide, centred in the 598-pixel page.
                          {L"installPrg", {40, 344, 560, 352}},
                      });
}

TEST(LayoutMainSkin, FinishPage)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    SelectMainPage(tree, 3);
    ExpectBoxes(tree, {{L"openProduceBtn", {200, 294, 400, 340}}});
    EXPECT_EQ(Describe(RECT{260, 95, 340, 175}), Describe(BoxWithImage(tree, L"finished.png")));
}

TEST(LayoutMainSkin, BackButtonOnTitlePageOne)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"titleTabLt", L"TabLayout")->SelectItem(1, false));
    tree.Layout(600, 400);
    ExpectBoxes(tree, {{L"backBtn", {10, 11, 74, 41}}});
}

struct PromptCase {
    const wchar_t* skin;
    int width;
    std::vector<ExpectedBox> boxes;
};

class LayoutPromptSkin : public ::testing::TestWithParam<PromptCase> {};

TEST_P(LayoutPromptSkin, NamedControlBoxes)
{
    const PromptCase& prompt = GetParam();
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(prompt.skin));
    EXPECT_EQ(prompt.width, tree.Manager().GetInitSize().cx);
    EXPECT_EQ(180, tree.Manager().GetInitSize().cy);
    EXPECT_EQ(Describe(RECT{0, 0, prompt.width, 180}), Describe(tree.Manager().GetRoot()->GetPos()));
    ExpectBoxes(tree, prompt.boxes);
}

INSTANTIATE_TEST_SUITE_P(
    Prompts, LayoutPromptSkin,
    ::testing::Values(
        PromptCase{L"MessageBox1Wnd.xml",
                   360,
                   {{L"captionLbl", {10, 0, 169, 30}}, {L"closebtn", {328, 3, 352, 27}}, {L"textLbl", {1, 30, 359, 180}}}},
        PromptCase{L"MessageBox2Wnd.xml",
                   360,
                   {{L"captionLbl", {10, 0, 167, 30}}, {L"closebtn", {324, 3, 348, 27}}, {L"textLbl", {1, 30, 359, 180}}}},
        // Asked for in another case than stored.
        PromptCase{L"ExitTipWnd.xml",
                   360,
                   {{L"abcc", {95, 69, 255, 109}},
                    {L"closebtn", {324, 8, 348, 32}},
                    {L"okBtn", {167, 129, 243, 161}},
                    {L"cancelBtn", {263, 129, 339, 161}}}},
        // The buttons are 32 high in a 30-high row: clamped to the row.
        PromptCase{L"NetworkTipWnd.xml",
                   360,
                   {{L"closebtn", {324, 3, 348, 27}}, {L"cancelBtn", {182, 130, 258, 160}}, {L"okBtn", {268, 130, 344, 160}}}},
        // The root says 360 but fills the 400-pixel window; the 360 column sits at the left.
        PromptCase{L"InstalledPathTipWnd.xml",
                   400,
                   {{L"closebtn", {364, 3, 388, 27}}, {L"cancelBtn", {131, 127, 231, 159}}, {L"okBtn", {246, 127, 356, 159}}}}));

TEST(LayoutPromptSkin, ExitPromptRootKeepsItsName)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    EXPECT_EQ(L"VerticalLayoutUI1", tree.Manager().GetRoot()->GetName());
}

TEST(LayoutPromptSkin, InstalledPathColumnIsLeftAligned)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"InstalledPathTipWnd.xml"));
    RECT column = tree.Find(L"okBtn")->GetParent()->GetParent()->GetPos();
    EXPECT_EQ(Describe(RECT{1, 30, 361, 180}), Describe(column));
}

TEST(LayoutPromptSkin, ShadowAttributesAreKeptForTheFrame)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"InstalledPathTipWnd.xml"));
    DuiLib::PaintManager& manager = tree.Manager();
    EXPECT_EQ(L"true", manager.GetWindowCustomAttribute(L"showshadow"));
    EXPECT_EQ(L"10", manager.GetWindowCustomAttribute(L"shadowdarkness"));
    EXPECT_EQ(L"#FFEDF0F4", manager.GetWindowCustomAttribute(L"shadowcolor"));
    // Interpreted by the toolkit itself, so not among the custom ones.
    EXPECT_FALSE(manager.HasWindowCustomAttribute(L"size"));
    EXPECT_EQ(30, manager.GetCaptionRect().bottom);
    EXPECT_EQ(1, manager.GetRoundCorner().cx);
    EXPECT_EQ(0, manager.GetRoundCorner().cy);
}

}  // namespace
