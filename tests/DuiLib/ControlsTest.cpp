// Controls driven without a window: values, string references, and the
// notifications that synthetic mouse messages produce.

#include "DuiLib/ButtonUI.h"
#include "DuiLib/CheckBoxUI.h"
#include "DuiLib/ComboUI.h"
#include "DuiLib/DialogBuilder.h"
#include "DuiLib/EditUI.h"
#include "DuiLib/IDialogBuilderCallback.h"
#include "DuiLib/INotifyUI.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/ProgressUI.h"
#include "DuiLib/StringTable.h"
#include "DuiLib/TabLayoutUI.h"
#include "DuiLib/VerticalLayoutUI.h"
#include "DuiLib/WindowImplBase.h"
#include "ToolkitSkinTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TestSupport::ToolkitSkinTree;

LPARAM PointParam(int x, int y) { return MAKELPARAM(x, y); }
LPARAM CentreOf(const RECT& rc) { return PointParam((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2); }

class Recorder : public DuiLib::INotifyUI {
public:
    void Notify(DuiLib::NotifyMessage& msg) override { seen.push_back(msg); }
    std::vector<std::wstring> Types() const
    {
        std::vector<std::wstring> types;
        for (const auto& msg : seen) types.push_back(msg.type);
        return types;
    }
    std::vector<DuiLib::NotifyMessage> seen;
};

void Send(DuiLib::PaintManager& manager, UINT msg, LPARAM lParam)
{
    LRESULT result = 0;
    manager.MessageHandler(msg, 0, lParam, result);
}

void ClickAt(DuiLib::PaintManager& manager, LPARAM where)
{
    Send(manager, WM_MOUSEMOVE, where);
    Send(manager, WM_LBUTTONDOWN, where);
    Send(manager, WM_LBUTTONUP, where);
}

TEST(ProgressControl, ValueIsClampedAndFillFollowsIt)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    auto* bar = tree.As<DuiLib::CProgressUI>(L"installPrg", L"Progress");
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->SelectItem(2, false));
    tree.Layout(600, 400);
    EXPECT_EQ(0, bar->GetValue());
    EXPECT_EQ(0, bar->FillLength());
    bar->SetValue(100);
    EXPECT_EQ(520, bar->FillLength()) << "at 100 the fill covers the whole bar";
    bar->SetValue(35);
    EXPECT_EQ(182, bar->FillLength());
    bar->SetValue(250);
    EXPECT_EQ(100, bar->GetValue());
    bar->SetValue(-3);
    EXPECT_EQ(0, bar->GetValue());
}

TEST(ProgressControl, FillLengthArithmetic)
{
    using DuiLib::CProgressUI;
    EXPECT_EQ(0, CProgressUI::FillLength(0, 0, 100, 520));
    EXPECT_EQ(520, CProgressUI::FillLength(100, 0, 100, 520));
    EXPECT_EQ(260, CProgressUI::FillLength(50, 0, 100, 520));
    EXPECT_EQ(100, CProgressUI::FillLength(15, 10, 20, 200));
    EXPECT_EQ(0, CProgressUI::FillLength(5, 10, 10, 200)) << "an empty range fills nothing";
}

TEST(StringReferences, TokensAreReplacedWhenRegistered)
{
    DuiLib::StringTable::Clear();
    DuiLib::PaintManager::AddMultiLanguageString(7, L"七");
    DuiLib::PaintManager::AddMultiLanguageString(104, L"磁盘空间不足");
    struct Case {
        const wchar_t* text;
        const wchar_t* shown;
    } cases[] = {
        {L"%{7}", L"七"},
        {L"a%{7}b%{104}c", L"a七b磁盘空间不足c"},
        {L"%{8}", L"%{8}"},
        {L"%{7", L"%{7"},
        {L"%{}", L"%{}"},
        {L"%{x}", L"%{x}"},
        {L"%%{7}", L"%七"},
        {L"%{99999999999}", L"%{99999999999}"},
        {L"正在安装中:0%，请稍候...", L"正在安装中:0%，请稍候..."},
    };
    for (const Case& c : cases) EXPECT_EQ(std::wstring(c.shown), DuiLib::StringTable::Expand(c.text));
    DuiLib::PaintManager::AddMultiLanguageString(7, L"seven");
    EXPECT_EQ(L"seven", *DuiLib::PaintManager::GetMultiLanguageString(7)) << "a later string replaces the earlier";

    DuiLib::CLabelUI label;
    label.SetText(L"[%{7}]");
    EXPECT_EQ(L"[%{7}]", label.GetText());
    EXPECT_EQ(L"[seven]", label.GetDisplayText());
    DuiLib::StringTable::Clear();
}

TEST(MouseRouting, ButtonClickNeedsPressAndReleaseOverIt)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    RECT ok = tree.Rect(L"okBtn");
    RECT cancel = tree.Rect(L"cancelBtn");

    ClickAt(tree.Manager(), CentreOf(ok));
    ASSERT_EQ(1u, recorder.seen.size());
    EXPECT_EQ(L"click", recorder.seen[0].type);
    EXPECT_EQ(tree.Find(L"okBtn"), recorder.seen[0].sender);

    // Pressed on one button, released over the other: nothing.
    recorder.seen.clear();
    Send(tree.Manager(), WM_LBUTTONDOWN, CentreOf(ok));
    Send(tree.Manager(), WM_MOUSEMOVE, CentreOf(cancel));
    Send(tree.Manager(), WM_LBUTTONUP, CentreOf(cancel));
    EXPECT_TRUE(recorder.seen.empty());

    // Disabled buttons stay silent.
    tree.Find(L"cancelBtn")->SetEnabled(false);
    ClickAt(tree.Manager(), CentreOf(cancel));
    EXPECT_TRUE(recorder.seen.empty());
}

TEST(MouseRouting, HoverAndPressStates)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    DuiLib::CControlUI* ok = tree.Find(L"okBtn");
    Send(tree.Manager(), WM_MOUSEMOVE, CentreOf(ok->GetPos()));
    EXPECT_EQ(ok, tree.Manager().GetHover());
    EXPECT_TRUE(ok->GetState() & DuiLib::StateHot);
    Send(tree.Manager(), WM_LBUTTONDOWN, CentreOf(ok->GetPos()));
    EXPECT_TRUE(ok->GetState() & DuiLib::StatePushed);
    Send(tree.Manager(), WM_MOUSEMOVE, PointParam(5, 170));
    EXPECT_FALSE(ok->GetState() & DuiLib::StatePushed) << "dragged off while pressed";
    EXPECT_FALSE(ok->GetState() & DuiLib::StateHot);
    Send(tree.Manager(), WM_LBUTTONUP, PointParam(5, 170));
    EXPECT_EQ(0u, ok->GetState() & (DuiLib::StatePushed | DuiLib::StateCaptured));
}

TEST(MouseRouting, CheckBoxTogglesAndSendsSelectChanged)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->SelectItem(1, false));
    tree.Layout(600, 400);
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    auto* box = tree.As<DuiLib::CCheckBoxUI>(L"createDSCb", L"CheckBox");
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(box->IsSelected()) << "the skin ticks it";

    ClickAt(tree.Manager(), CentreOf(box->GetPos()));
    EXPECT_FALSE(box->IsSelected());
    EXPECT_EQ((std::vector<std::wstring>{L"click", L"selectchanged"}), recorder.Types());
    EXPECT_EQ(box, recorder.seen.back().sender);

    ClickAt(tree.Manager(), CentreOf(box->GetPos()));
    EXPECT_TRUE(box->IsSelected());

    // Selecting in code: notified only when asked to, and only on a change.
    recorder.seen.clear();
    box->Selected(false, false);
    box->Selected(false, true);
    EXPECT_TRUE(recorder.seen.empty());
    box->Selected(true, true);
    EXPECT_EQ((std::vector<std::wstring>{L"selectchanged"}), recorder.Types());
}

TEST(MouseRouting, ControlsOfHiddenPagesAreNotHit)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    // Where page 1 has customeInstallBtn, page 0 has only spacers.
    const LPARAM spot = PointParam(300, 327);
    ClickAt(tree.Manager(), spot);
    EXPECT_TRUE(recorder.seen.empty());
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->SelectItem(1, false));
    tree.Layout(600, 400);
    ClickAt(tree.Manager(), spot);
    ASSERT_EQ(1u, recorder.seen.size());
    EXPECT_EQ(tree.Find(L"customeInstallBtn"), recorder.seen[0].sender);
}

// A button that notes whether it still exists when its own event handling ends.
class WatchedButton : public DuiLib::CButtonUI {
public:
    WatchedButton(bool& destroyed, bool& aliveAfterClick) : destroyed_(destroyed), aliveAfterClick_(aliveAfterClick) {}
    ~WatchedButton() override { destroyed_ = true; }
    void DoEvent(DuiLib::UIEvent& event) override
    {
        DuiLib::CButtonUI::DoEvent(event);
        if (event.type == DuiLib::UIEventType::ButtonUp) aliveAfterClick_ = !destroyed_;
    }

private:
    bool& destroyed_;
    bool& aliveAfterClick_;
};

// Releases the whole tree when it hears a click, as a window destroyed from its click handler does.
class TreeReleaser : public DuiLib::INotifyUI {
public:
    explicit TreeReleaser(DuiLib::PaintManager& manager) : manager_(manager) {}
    void Notify(DuiLib::NotifyMessage& msg) override
    {
        if (msg.type == L"click") manager_.ReleaseRoot();
    }

private:
    DuiLib::PaintManager& manager_;
};

TEST(MouseRouting, TreeReleasedFromAClickHandlerOutlivesTheClick)
{
    bool destroyed = false;
    bool aliveAfterClick = false;
    DuiLib::PaintManager manager;
    auto* root = new DuiLib::CVerticalLayoutUI;
    root->Add(new WatchedButton(destroyed, aliveAfterClick));
    manager.AttachDialog(root);
    manager.LayoutRoot(100, 100);
    TreeReleaser releaser(manager);
    manager.AddNotifier(&releaser);
    ClickAt(manager, PointParam(50, 50));
    EXPECT_TRUE(aliveAfterClick) << "the button was deleted while it was still handling its click";
    EXPECT_TRUE(destroyed) << "and it goes once the click is done";
    EXPECT_EQ(nullptr, manager.GetRoot());
}

TEST(TabLayout, SelectSendsTabSelectWithNewAndOldIndex)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    auto* tabs = tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    EXPECT_TRUE(tabs->SelectItem(3));
    ASSERT_EQ(1u, recorder.seen.size());
    EXPECT_EQ(L"tabselect", recorder.seen[0].type);
    EXPECT_EQ(3u, recorder.seen[0].wParam);
    EXPECT_EQ(0, recorder.seen[0].lParam);
    EXPECT_FALSE(tabs->SelectItem(4)) << "no fifth page";
    EXPECT_EQ(3, tabs->GetCurSel());
    EXPECT_TRUE(tree.Find(L"openProduceBtn")->IsVisible());
    EXPECT_FALSE(tree.Find(L"defaultInstallBtn")->IsVisible());
}

TEST(Notifications, AsynchronousOnesWaitForTheQueueToBeServed)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    DuiLib::NotifyMessage msg;
    msg.type = L"install";
    msg.sender = tree.Manager().GetRoot();
    msg.wParam = 1;
    tree.Manager().SendNotify(msg, true);
    EXPECT_TRUE(recorder.seen.empty());
    Send(tree.Manager(), DuiLib::PaintManager::AsyncNotifyMessage, 0);
    ASSERT_EQ(1u, recorder.seen.size());
    EXPECT_EQ(L"install", recorder.seen[0].type);
    EXPECT_EQ(1u, recorder.seen[0].wParam);
    EXPECT_NE(0u, recorder.seen[0].timestamp);

    // A sender removed before delivery takes its queued notifications with it.
    recorder.seen.clear();
    DuiLib::CControlUI* tip = tree.Find(L"tipLbl");
    tree.Manager().SendNotify(tip, L"late", 0, 0, true);
    static_cast<DuiLib::CContainerUI*>(tip->GetParent()->GetInterface(L"Container"))->Remove(tip);
    tree.Manager().DeliverQueuedNotifications();
    EXPECT_TRUE(recorder.seen.empty());
}

TEST(Timers, KeyedByControlAndIdAndReArmed)
{
    DuiLib::PaintManager manager;
    DuiLib::CControlUI first;
    DuiLib::CControlUI second;
    EXPECT_TRUE(manager.SetTimer(&first, 10, 100));
    EXPECT_FALSE(manager.SetTimer(&first, 10, 50)) << "already running";
    EXPECT_TRUE(manager.SetTimer(&first, 11, 100)) << "another id";
    EXPECT_TRUE(manager.SetTimer(&second, 10, 100)) << "another control";
    EXPECT_TRUE(manager.KillTimer(&first, 10));
    EXPECT_FALSE(manager.IsTimerRunning(&first, 10));
    EXPECT_FALSE(manager.KillTimer(&first, 10)) << "already stopped";
    EXPECT_TRUE(manager.SetTimer(&first, 10, 100)) << "a stopped timer re-arms";
    EXPECT_TRUE(manager.IsTimerRunning(&first, 10));
    manager.KillTimers(&first);
    EXPECT_FALSE(manager.IsTimerRunning(&first, 11));
    EXPECT_TRUE(manager.IsTimerRunning(&second, 10));
}

// A callback that supplies one element name the builder does not know.
class BadgeFactory : public DuiLib::IDialogBuilderCallback {
public:
    DuiLib::CControlUI* CreateControl(const std::wstring& name) override
    {
        asked.push_back(name);
        return name == L"Badge" ? new DuiLib::CLabelUI : nullptr;
    }
    std::vector<std::wstring> asked;
};

TEST(DialogBuilder, UnknownElementsGoToTheCallback)
{
    const char* xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Window size=\"200,100\" frobnicate=\"yes\">"
        "<Font id=\"3\" name=\"Arial\" size=\"20\" default=\"true\"/>"
        "<VerticalLayout name=\"root\">"
        "<Badge name=\"badge\" height=\"30\" text=\"\xE4\xB8\x80\" unknownattr=\"1\"/>"
        "<Gizmo name=\"gizmo\"><Button name=\"inside\"/></Gizmo>"
        "<Control/>"
        "</VerticalLayout></Window>";
    BadgeFactory factory;
    DuiLib::PaintManager manager;
    DuiLib::DialogBuilder builder;
    DuiLib::CControlUI* root = builder.CreateFromText(xml, &factory, &manager);
    ASSERT_NE(nullptr, root);
    manager.AttachDialog(root);
    EXPECT_EQ((std::vector<std::wstring>{L"Badge", L"Gizmo"}), factory.asked);
    ASSERT_NE(nullptr, manager.FindControl(L"badge"));
    EXPECT_EQ(L"一", manager.FindControl(L"badge")->GetText());
    EXPECT_EQ(nullptr, manager.FindControl(L"gizmo"));
    EXPECT_EQ(nullptr, manager.FindControl(L"inside")) << "an element nobody builds is skipped with its children";
    EXPECT_EQ(L"yes", manager.GetWindowCustomAttribute(L"frobnicate"));
    EXPECT_EQ(20, manager.GetFontHeight(3));
    EXPECT_EQ(20, manager.GetFontHeight(99)) << "an unknown index is the default font";
}

TEST(EditControl, TextIsLimitedOnlyWhenTheSkinSaysSo)
{
    std::wstring longPath = L"D:\\" + std::wstring(300, L'a');
    DuiLib::CEditUI plain;
    plain.SetText(longPath);
    EXPECT_EQ(longPath, plain.GetText()) << "a long folder set by the code stays whole";
    DuiLib::CEditUI limited;
    limited.SetAttribute(L"maxchar", L"5");
    limited.SetText(longPath);
    EXPECT_EQ(L"D:\\aa", limited.GetText());
}

TEST(ComboControl, SelectingAnItemSendsItemSelect)
{
    const char* xml =
        "<Window size=\"200,40\"><HorizontalLayout>"
        "<Combo name=\"languageCombo\" width=\"120\"><Label text=\"English\"/><Label text=\"%{5}\"/></Combo>"
        "</HorizontalLayout></Window>";
    DuiLib::PaintManager manager;
    DuiLib::DialogBuilder builder;
    ASSERT_TRUE(manager.AttachDialog(builder.CreateFromText(xml, nullptr, &manager)));
    manager.LayoutRoot(200, 40);
    Recorder recorder;
    manager.AddNotifier(&recorder);
    auto* combo = static_cast<DuiLib::CComboUI*>(manager.FindControl(L"languageCombo")->GetInterface(L"Combo"));
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(-1, combo->GetCurSel());
    EXPECT_TRUE(combo->SelectItem(1, false, true));
    EXPECT_EQ(1, combo->GetCurSel());
    ASSERT_EQ(1u, recorder.seen.size());
    EXPECT_EQ(L"itemselect", recorder.seen[0].type);
    EXPECT_EQ(1u, recorder.seen[0].wParam);
    EXPECT_EQ(L"%{5}", combo->GetText());
    EXPECT_FALSE(combo->SelectItem(2)) << "no third item";
    EXPECT_TRUE(combo->SelectItem(0, false, false));
    EXPECT_EQ(1u, recorder.seen.size()) << "no notification when not asked for";
    EXPECT_EQ(combo, manager.FindControlAt(POINT{10, 10})) << "the items live in the list, not in the box";
}

TEST(DialogBuilder, DocumentsWithoutATreeFail)
{
    DuiLib::PaintManager manager;
    DuiLib::DialogBuilder builder;
    EXPECT_EQ(nullptr, builder.CreateFromText("<Window size=\"1,1\"><Font id=\"0\"/></Window>", nullptr, &manager));
    EXPECT_FALSE(builder.LastError().empty());
    EXPECT_EQ(nullptr, builder.CreateFromText("<Window><VerticalLayout>", nullptr, &manager));
    EXPECT_EQ(nullptr, builder.CreateFromText("", nullptr, &manager));
    EXPECT_EQ(nullptr, builder.Create(L"NoSuchSkin.xml", nullptr, &manager));
    EXPECT_FALSE(builder.LastError().empty());
}

TEST(LabelText, AlignmentAttributesUseSubstrings)
{
    struct Case {
        const wchar_t* attribute;
        const wchar_t* value;
        UINT set;
        UINT clear;
    } cases[] = {
        {L"align", L"left", DT_LEFT, DT_CENTER | DT_RIGHT},
        {L"align", L"center", DT_CENTER, DT_RIGHT},
        {L"align", L"right", DT_RIGHT, DT_CENTER},
        {L"valign", L"top", DT_TOP, DT_VCENTER | DT_BOTTOM},
        {L"valign", L"bottom", DT_BOTTOM, DT_VCENTER},
        {L"valign", L"center", DT_VCENTER, DT_BOTTOM},
        {L"multiline", L"true", DT_WORDBREAK, DT_SINGLELINE},
    };
    for (const Case& c : cases) {
        DuiLib::CLabelUI label;
        label.SetAttribute(c.attribute, c.value);
        EXPECT_EQ(c.set, label.GetTextStyle() & c.set) << std::string(c.value, c.value + wcslen(c.value));
        EXPECT_EQ(0u, label.GetTextStyle() & c.clear) << std::string(c.value, c.value + wcslen(c.value));
    }
}

TEST(LabelText, EstimatedHeightIsOneLine)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    DuiLib::CLabelUI label;
    label.SetManager(&tree.Manager(), nullptr, false);
    label.SetAttribute(L"font", L"1");
    label.SetAttribute(L"textpadding", L"0,3,0,5");
    EXPECT_EQ(18 + 8 + 8, label.EstimateSize(SIZE{100, 100}).cy);
    DuiLib::CButtonUI button;
    button.SetManager(&tree.Manager(), nullptr, false);
    EXPECT_EQ(0, button.EstimateSize(SIZE{100, 100}).cy) << "buttons are flexible without a height";
}

TEST(CaptionBand, DragsExceptOverButtonsOptionsAndTexts)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    RECT client{0, 0, 600, 400};
    DuiLib::PaintManager& manager = tree.Manager();
    EXPECT_EQ(HTCAPTION, DuiLib::CaptionHitTest(manager, POINT{300, 10}, client));
    EXPECT_EQ(HTCLIENT, DuiLib::CaptionHitTest(manager, POINT{525, 20}, client)) << "minbtn";
    EXPECT_EQ(HTCAPTION, DuiLib::CaptionHitTest(manager, POINT{300, 34}, client)) << "last row of the band";
    EXPECT_EQ(HTCLIENT, DuiLib::CaptionHitTest(manager, POINT{300, 35}, client)) << "below the band";
    EXPECT_EQ(HTCLIENT, DuiLib::CaptionHitTest(manager, POINT{300, 240}, client));
}

}  // namespace
