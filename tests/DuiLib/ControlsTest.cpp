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

#include <memory>
#include <string>
#include <type_traits>
#include <utility>
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

void Send(DuiLib::PaintManager& manager, UINT msg, LPARAM lParam, WPARAM wParam = 0)
{
    LRESULT result = 0;
    manager.MessageHandler(msg, wParam, lParam, result);
}

void PressKey(DuiLib::PaintManager& manager, WPARAM key, wchar_t character)
{
    Send(manager, WM_KEYDOWN, 1, key);
    Send(manager, WM_CHAR, 1, character);
    Send(manager, WM_KEYUP, 1, key);
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

// A button hidden under the pointer (a page switch after its click) shows
// its plain look when it comes back, not the hover it had when it went.
TEST(MouseRouting, HiddenUnderThePointerComesBackPlain)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    DuiLib::CControlUI* ok = tree.Find(L"okBtn");
    Send(tree.Manager(), WM_MOUSEMOVE, CentreOf(ok->GetPos()));
    Send(tree.Manager(), WM_LBUTTONDOWN, CentreOf(ok->GetPos()));
    ASSERT_TRUE(ok->GetState() & DuiLib::StateHot);
    ok->SetVisible(false);
    ok->SetVisible(true);
    EXPECT_EQ(0u, ok->GetState() & (DuiLib::StateHot | DuiLib::StatePushed | DuiLib::StateCaptured));
    EXPECT_EQ(nullptr, tree.Manager().GetHover());
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

TEST(MouseRouting, KeysNeverClickTheFocusedButton)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    DuiLib::CControlUI* ok = tree.Find(L"okBtn");
    // Pressed on "是", dragged off and released elsewhere: no answer, but the focus stays there.
    Send(tree.Manager(), WM_MOUSEMOVE, CentreOf(ok->GetPos()));
    Send(tree.Manager(), WM_LBUTTONDOWN, CentreOf(ok->GetPos()));
    Send(tree.Manager(), WM_MOUSEMOVE, PointParam(5, 170));
    Send(tree.Manager(), WM_LBUTTONUP, PointParam(5, 170));
    ASSERT_EQ(ok, tree.Manager().GetFocus());
    PressKey(tree.Manager(), VK_SPACE, L' ');
    PressKey(tree.Manager(), VK_RETURN, L'\r');
    EXPECT_TRUE(recorder.seen.empty()) << "a key answered the prompt";
    // A check box holding the focus is not ticked by a key either.
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->SelectItem(1, false));
    tree.Layout(600, 400);
    auto* box = tree.As<DuiLib::CCheckBoxUI>(L"createDSCb", L"CheckBox");
    box->SetFocus();
    ASSERT_TRUE(box->IsFocused());
    PressKey(tree.Manager(), VK_SPACE, L' ');
    EXPECT_TRUE(box->IsSelected());
    EXPECT_TRUE(recorder.seen.empty());
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

// Dresses the pages as the main window does: every "tabselect", from
// whichever tab layout, selects the title page that goes with the main page.
class PageDresser : public DuiLib::INotifyUI {
public:
    explicit PageDresser(DuiLib::CTabLayoutUI* titles) : titles_(titles) {}
    void Notify(DuiLib::NotifyMessage& msg) override
    {
        if (msg.type != L"tabselect") return;
        // Far beyond what a sound layout does: stop instead of overflowing the stack.
        if (++depth_ > 50) return;
        titles_->SelectItem(1);
        --depth_;
    }

private:
    DuiLib::CTabLayoutUI* titles_;
    int depth_ = 0;
};

TEST(TabLayout, SelectingTheShownPageChangesAndSendsNothing)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    Recorder recorder;
    tree.Manager().AddNotifier(&recorder);
    auto* tabs = tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    auto* titles = tree.As<DuiLib::CTabLayoutUI>(L"titleTabLt", L"TabLayout");
    ASSERT_EQ(0, tabs->GetCurSel());
    DuiLib::CControlUI* install = tree.Find(L"defaultInstallBtn");
    install->SetFocus();
    EXPECT_TRUE(tabs->SelectItem(0));
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_EQ(install, tree.Manager().GetFocus());

    PageDresser dresser(titles);
    tree.Manager().AddNotifier(&dresser);
    EXPECT_TRUE(tabs->SelectItem(1));
    // The main page's, then the title page's; selecting the title page again announces nothing.
    ASSERT_EQ(2u, recorder.seen.size());
    EXPECT_EQ(tabs, recorder.seen[0].sender);
    EXPECT_EQ(titles, recorder.seen[1].sender);
    EXPECT_EQ(1, titles->GetCurSel());
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

TEST(Notifications, TheWindowsOwnCarryNoMousePoint)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    DuiLib::PaintManager& manager = tree.Manager();
    Recorder recorder;
    manager.AddNotifier(&recorder);
    Send(manager, WM_MOUSEMOVE, PointParam(37, 41));
    DuiLib::CControlUI* root = manager.GetRoot();

    manager.SendNotify(root, L"install", 1);
    manager.SendNotify(root, L"checknet", 0, 0, true);
    manager.DeliverQueuedNotifications();
    DuiLib::NotifyMessage filled;
    filled.type = L"install";
    filled.sender = root;
    filled.mousePoint = POINT{5, 6};
    manager.SendNotify(filled);
    manager.SendNotify(filled, true);
    manager.DeliverQueuedNotifications();
    // A control's own notification keeps the pointer position.
    manager.SendNotify(tree.Find(L"tipLbl"), L"probe");

    ASSERT_EQ(5u, recorder.seen.size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(0, recorder.seen[i].mousePoint.x) << "notification " << i;
        EXPECT_EQ(0, recorder.seen[i].mousePoint.y) << "notification " << i;
    }
    EXPECT_EQ(37, recorder.seen[4].mousePoint.x);
    EXPECT_EQ(41, recorder.seen[4].mousePoint.y);
}

TEST(Timers, KeyedByControlAndIdAndReArmed)
{
    DuiLib::PaintManager manager;
    DuiLib::CControlUI first;
    DuiLib::CControlUI second;
    DuiLib::CControlUI stranger;
    first.SetManager(&manager, nullptr, false);
    second.SetManager(&manager, nullptr, false);
    EXPECT_FALSE(manager.SetTimer(&stranger, 10, 100)) << "a control of no window: nothing would stop its timer";
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
    std::unique_ptr<DuiLib::CControlUI> CreateControl(const std::wstring& name) override
    {
        asked.push_back(name);
        return name == L"Badge" ? std::make_unique<DuiLib::CLabelUI>() : nullptr;
    }
    std::vector<std::wstring> asked;
};

static_assert(std::is_same<decltype(std::declval<DuiLib::IDialogBuilderCallback&>().CreateControl(L"")),
                           std::unique_ptr<DuiLib::CControlUI>>::value,
              "controls made for the builder change hands as unique_ptr");
static_assert(std::is_same<decltype(std::declval<DuiLib::DialogBuilder&>().CreateFromText("", nullptr, nullptr)),
                           std::unique_ptr<DuiLib::CControlUI>>::value,
              "the built tree changes hands as unique_ptr");

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
    std::unique_ptr<DuiLib::CControlUI> root = builder.CreateFromText(xml, &factory, &manager);
    ASSERT_NE(nullptr, root);
    manager.AttachDialog(std::move(root));
    EXPECT_EQ((std::vector<std::wstring>{L"Badge", L"Gizmo"}), factory.asked);
    ASSERT_NE(nullptr, manager.FindControl(L"badge"));
    EXPECT_EQ(L"一", manager.FindControl(L"badge")->GetText());
    EXPECT_EQ(nullptr, manager.FindControl(L"gizmo"));
    EXPECT_EQ(nullptr, manager.FindControl(L"inside")) << "an element nobody builds is skipped with its children";
    EXPECT_EQ(L"yes", manager.GetWindowCustomAttribute(L"frobnicate"));
    EXPECT_EQ(20, manager.GetFontHeight(3));
    EXPECT_EQ(20, manager.GetFontHeight(99)) << "an unknown index is the default font";
}

// A label that notes every attribute name it is handed.
class SpellingProbe : public DuiLib::CLabelUI {
public:
    explicit SpellingProbe(std::vector<std::wstring>& names) : names_(names) {}
    void SetAttribute(const std::wstring& name, const std::wstring& value) override
    {
        names_.push_back(name);
        DuiLib::CLabelUI::SetAttribute(name, value);
    }

private:
    std::vector<std::wstring>& names_;
};

class SpellingFactory : public DuiLib::IDialogBuilderCallback {
public:
    std::unique_ptr<DuiLib::CControlUI> CreateControl(const std::wstring& name) override
    {
        return name == L"Probe" ? std::make_unique<SpellingProbe>(names) : nullptr;
    }
    std::vector<std::wstring> names;
};

TEST(DialogBuilder, AttributeNamesKeepTheSkinsSpelling)
{
    const char* xml =
        "<Window SIZE=\"120,40\" ShowShadow=\"TRUE\"><VerticalLayout>"
        "<Probe NAME=\"probe\" SequenceBkImage=\"a\" sequencebkimage=\"b\" Text=\"hi\" TextColor=\"#FF112233\"/>"
        "</VerticalLayout></Window>";
    SpellingFactory factory;
    DuiLib::PaintManager manager;
    DuiLib::DialogBuilder builder;
    ASSERT_TRUE(manager.AttachDialog(builder.CreateFromText(xml, &factory, &manager)));
    EXPECT_EQ((std::vector<std::wstring>{L"NAME", L"SequenceBkImage", L"sequencebkimage", L"Text", L"TextColor"}),
              factory.names);
    // The toolkit's own attributes still match without regard to case.
    auto* probe = static_cast<DuiLib::CLabelUI*>(manager.FindControl(L"probe"));
    ASSERT_NE(nullptr, probe);
    EXPECT_EQ(L"hi", probe->GetText());
    EXPECT_EQ(0xFF112233u, probe->GetTextColor());
    EXPECT_EQ(120, manager.GetInitSize().cx);
    EXPECT_TRUE(manager.HasWindowCustomAttribute(L"showshadow"));
    EXPECT_EQ(L"TRUE", manager.GetWindowCustomAttribute(L"ShowShadow"));
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
    EXPECT_FALSE(builder.CreateFromText("<Window size=\"1,1\"><Font id=\"0\"/></Window>", nullptr, &manager));
    EXPECT_FALSE(builder.LastError().empty());
    EXPECT_FALSE(builder.CreateFromText("<Window><VerticalLayout>", nullptr, &manager));
    EXPECT_FALSE(builder.CreateFromText("", nullptr, &manager));
    EXPECT_FALSE(builder.Create(L"NoSuchSkin.xml", nullptr, &manager));
    EXPECT_FALSE(builder.LastError().empty());
}

TEST(LabelText, AlignmentAttributesUseSubstrings)
{
    const UINT horizontal = DT_LEFT | DT_CENTER | DT_RIGHT;
    const UINT vertical = DT_TOP | DT_VCENTER | DT_BOTTOM;
    // Each case starts from another alignment, so a value that changes
    // nothing cannot pass (DT_LEFT and DT_TOP are both 0).
    struct Case {
        const wchar_t* name;
        const wchar_t* before;
        const wchar_t* value;
        UINT mask;
        UINT expected;
    } cases[] = {
        {L"align", L"right", L"left", horizontal, DT_LEFT},
        {L"align", L"center", L"left", horizontal, DT_LEFT},
        {L"align", L"left", L"center", horizontal, DT_CENTER},
        {L"align", L"center", L"right", horizontal, DT_RIGHT},
        {L"align", L"right", L"text-center", horizontal, DT_CENTER},
        {L"valign", L"bottom", L"top", vertical, DT_TOP},
        {L"valign", L"vcenter", L"top", vertical, DT_TOP},
        {L"valign", L"top", L"vcenter", vertical, DT_VCENTER},
        {L"valign", L"top", L"bottom", vertical, DT_BOTTOM},
        // "center" holds none of the words, so the alignment before it stays.
        {L"valign", L"bottom", L"center", vertical, DT_BOTTOM},
        {L"valign", L"top", L"center", vertical, DT_TOP},
        {L"multiline", L"false", L"true", DT_WORDBREAK | DT_SINGLELINE, DT_WORDBREAK},
        {L"multiline", L"true", L"false", DT_WORDBREAK | DT_SINGLELINE, DT_SINGLELINE},
    };
    for (const Case& c : cases) {
        DuiLib::CLabelUI label;
        label.SetAttribute(c.name, c.before);
        UINT other = label.GetTextStyle() & ~c.mask;
        label.SetAttribute(c.name, c.value);
        std::string what = std::string(c.value, c.value + wcslen(c.value)) + " after " +
                           std::string(c.before, c.before + wcslen(c.before));
        EXPECT_EQ(c.expected, label.GetTextStyle() & c.mask) << what;
        EXPECT_EQ(other, label.GetTextStyle() & ~c.mask) << what << " touched other bits";
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
