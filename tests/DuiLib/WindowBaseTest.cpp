// The window base with real windows under the display: creation from the
// embedded skin, the caption band, the modal loop and its close codes, keys,
// real mouse messages, control timers, asynchronous notifications and the
// edit box.

#include "ArchiveSkinWindow.h"
#include "DuiLib/ControlUI.h"
#include "DuiLib/EditUI.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/TabLayoutUI.h"
#include "DuiLib/WindowImplBase.h"
#include "support/MessagePump.h"
#include "ToolkitSkinTree.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using TestSupport::PumpUntil;

// The private message the main window handles in its other-message hook.
constexpr UINT kStatusMessage = WM_USER + 1000;

// A label that sets a flag of the test when it is deleted.
class WatchedLabel : public DuiLib::CLabelUI {
public:
    explicit WatchedLabel(bool* gone) : gone_(gone) {}
    ~WatchedLabel() override
    {
        if (gone_) *gone_ = true;
    }

private:
    bool* gone_;
};

class ProbeWindow : public TestSupport::ArchiveSkinWindow {
public:
    using ArchiveSkinWindow::ArchiveSkinWindow;

    void OnSkinLoaded() override { ++skinLoaded; }

    void OnClick(DuiLib::NotifyMessage& msg) override
    {
        clicks.push_back(msg.sender ? msg.sender->GetName() : L"");
        HWND owner = ::GetWindow(GetHWND(), GW_OWNER);
        ownerEnabledAtClick = owner ? ::IsWindowEnabled(owner) != FALSE : true;
        if (msg.sender && msg.sender->GetName() == L"okBtn") Close(7);
        WindowImplBase::OnClick(msg);
    }

    void Notify(DuiLib::NotifyMessage& msg) override
    {
        notes.push_back(msg.type);
        noteThreads.push_back(::GetCurrentThreadId());
        noteParams.push_back(msg.wParam);
        WindowImplBase::Notify(msg);
    }

    // The main skin's "SequenceLabel" becomes a label that reports its deletion to labelGone.
    std::unique_ptr<DuiLib::CControlUI> CreateControl(const std::wstring& name) override
    {
        offered.push_back(name);
        return name == L"SequenceLabel" ? std::make_unique<WatchedLabel>(labelGone) : nullptr;
    }

    LRESULT OnOtherMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override
    {
        handled = onOther && onOther(msg, wParam, lParam);
        return 0;
    }

    // wParam of the latest notification of the type.
    WPARAM ParamOf(const std::wstring& type) const
    {
        for (size_t i = notes.size(); i > 0; --i) {
            if (notes[i - 1] == type) return noteParams[i - 1];
        }
        return static_cast<WPARAM>(-1);
    }

    size_t Count(const std::wstring& type) const
    {
        size_t n = 0;
        for (const auto& t : notes) n += t == type ? 1 : 0;
        return n;
    }

    int skinLoaded = 0;
    bool* labelGone = nullptr;  // not owned
    // Messages the window base leaves to the hook; true: handled.
    std::function<bool(UINT, WPARAM, LPARAM)> onOther;
    bool ownerEnabledAtClick = true;
    std::vector<WPARAM> noteParams;
    std::vector<std::wstring> clicks;
    std::vector<std::wstring> notes;
    std::vector<DWORD> noteThreads;
    std::vector<std::wstring> offered;
};

// Closes a window (code 99) that a broken modal loop test would leave
// running for ever.
class ModalWatchdog {
public:
    explicit ModalWatchdog(HWND window)
        : thread_([this, window] {
              std::unique_lock<std::mutex> lock(lock_);
              if (!wake_.wait_for(lock, std::chrono::seconds(20), [this] { return done_; })) {
                  ::PostMessageW(window, WM_CLOSE, 99, 0);
              }
          })
    {
    }
    ~ModalWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(lock_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    std::mutex lock_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

void PostClick(HWND window, const RECT& box)
{
    LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(window, WM_LBUTTONUP, 0, at);
}

class WindowBase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive()); }
};

TEST_F(WindowBase, CreationBuildsTheSkinAndShapesTheWindow)
{
    ProbeWindow window(L"exitTipWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(1, window.skinLoaded);
    RECT box{};
    ::GetWindowRect(hwnd, &box);
    EXPECT_EQ(360, box.right - box.left) << "the skin's size, not the default";
    EXPECT_EQ(180, box.bottom - box.top);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(360, client.right) << "the whole window is client area";
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_EQ(0, style & WS_CAPTION);
    EXPECT_EQ(WS_CLIPSIBLINGS | WS_CLIPCHILDREN, style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    // roundcorner 2,2: a rounded region built one pixel larger, so it covers the window exactly.
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, ::GetWindowRgn(hwnd, region));
    RECT regionBox{};
    ::GetRgnBox(region, &regionBox);
    ::DeleteObject(region);
    EXPECT_EQ(360, regionBox.right);
    EXPECT_EQ(180, regionBox.bottom);
    ASSERT_NE(nullptr, window.GetPaintManager().FindControl(L"okBtn"));
    ::DestroyWindow(hwnd);
    EXPECT_EQ(nullptr, window.GetHWND());
    EXPECT_EQ(nullptr, window.GetPaintManager().GetRoot()) << "the tree goes with the window";
}

TEST_F(WindowBase, MissingSkinResourceLeavesAnEmptyWindow)
{
    ProbeWindow window(L"exitTipWnd.xml", 999);
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd) << "creation goes on without the resource";
    EXPECT_EQ(0, window.skinLoaded);
    EXPECT_EQ(nullptr, window.GetPaintManager().GetRoot());
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, ObjectDestroyedFirstTakesItsWindowAlong)
{
    HWND hwnd = nullptr;
    {
        ProbeWindow window(L"mainWnd.xml");
        hwnd = window.Open();
        ASSERT_NE(nullptr, hwnd);
        ASSERT_TRUE(window.GetPaintManager().SetTimer(window.GetPaintManager().GetRoot(), 1, 10));
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    PumpUntil([] { return false; }, 20);
}

TEST_F(WindowBase, CaptionBandHitTest)
{
    ProbeWindow window(L"exitTipWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    auto hitAt = [&](int x, int y) {
        POINT pt{x, y};
        ::ClientToScreen(hwnd, &pt);
        return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    };
    EXPECT_EQ(HTCAPTION, hitAt(100, 10)) << "title label";
    EXPECT_EQ(HTCAPTION, hitAt(250, 29));
    RECT close = window.GetPaintManager().FindControl(L"closebtn")->GetPos();
    EXPECT_EQ(HTCLIENT, hitAt(close.left + 5, close.top + 5)) << "a button in the band";
    EXPECT_EQ(HTCLIENT, hitAt(250, 30)) << "below the band";
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, ModalLoopReturnsTheCloseCodeAndFreesTheOwner)
{
    ProbeWindow owner(L"MessageBox1Wnd.xml");
    ASSERT_NE(nullptr, owner.Open());
    ProbeWindow prompt(L"ExitTipWnd.xml");
    HWND hwnd = prompt.Open(owner.GetHWND());
    ASSERT_NE(nullptr, hwnd);
    prompt.CenterWindow();
    PostClick(hwnd, prompt.GetPaintManager().FindControl(L"okBtn")->GetPos());
    ModalWatchdog watchdog(prompt.GetHWND());
    EXPECT_EQ(7u, prompt.ShowModal());
    EXPECT_EQ((std::vector<std::wstring>{L"okBtn"}), prompt.clicks);
    EXPECT_FALSE(prompt.ownerEnabledAtClick) << "the owner is disabled while the prompt runs";
    EXPECT_TRUE(::IsWindowEnabled(owner.GetHWND()));
    EXPECT_FALSE(::IsWindow(hwnd));
    ::DestroyWindow(owner.GetHWND());
}

TEST_F(WindowBase, CloseButtonAndEscapeCloseWithCodeOneEnterDoesNothing)
{
    {
        ProbeWindow prompt(L"exitTipWnd.xml");
        HWND hwnd = prompt.Open();
        PostClick(hwnd, prompt.GetPaintManager().FindControl(L"closebtn")->GetPos());
        ModalWatchdog watchdog(prompt.GetHWND());
        EXPECT_EQ(1u, prompt.ShowModal());
    }
    {
        ProbeWindow prompt(L"exitTipWnd.xml");
        HWND hwnd = prompt.Open();
        ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        ModalWatchdog watchdog(prompt.GetHWND());
        EXPECT_EQ(1u, prompt.ShowModal());
    }
    {
        ProbeWindow prompt(L"exitTipWnd.xml");
        HWND hwnd = prompt.Open();
        ::PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(hwnd, WM_CLOSE, 5, 0);
        ModalWatchdog watchdog(prompt.GetHWND());
        EXPECT_EQ(5u, prompt.ShowModal()) << "Enter left the window open";
    }
    {
        ProbeWindow prompt(L"exitTipWnd.xml");
        HWND hwnd = prompt.Open();
        ::PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        ModalWatchdog watchdog(prompt.GetHWND());
        EXPECT_EQ(0u, prompt.ShowModal()) << "SC_CLOSE becomes a sent WM_CLOSE";
        EXPECT_FALSE(::IsWindow(hwnd));
    }
}

TEST_F(WindowBase, ModalLoopPassesQuitOn)
{
    ProbeWindow prompt(L"exitTipWnd.xml");
    HWND hwnd = prompt.Open();
    ::PostQuitMessage(3);
    {
        ModalWatchdog watchdog(hwnd);
        prompt.ShowModal();
    }
    EXPECT_TRUE(::IsWindow(hwnd));
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, CentredOverTheWorkArea)
{
    ProbeWindow prompt(L"exitTipWnd.xml");
    HWND hwnd = prompt.Open();
    prompt.CenterWindow();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT box{};
    ::GetWindowRect(hwnd, &box);
    EXPECT_EQ((monitor.rcWork.left + monitor.rcWork.right) / 2 - 180, box.left);
    EXPECT_EQ((monitor.rcWork.top + monitor.rcWork.bottom) / 2 - 90, box.top);
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, ControlTimersTickAndReArm)
{
    ProbeWindow window(L"mainWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    DuiLib::PaintManager& manager = window.GetPaintManager();
    DuiLib::CControlUI* root = manager.GetRoot();
    ASSERT_TRUE(manager.SetTimer(root, 10, 10));
    EXPECT_FALSE(manager.SetTimer(root, 10, 500)) << "running: the old period stays";
    ASSERT_TRUE(PumpUntil([&] { return window.Count(L"timer") >= 3; }));
    EXPECT_EQ(10u, window.ParamOf(L"timer"));
    EXPECT_TRUE(manager.KillTimer(root, 10));
    size_t ticks = window.Count(L"timer");
    PumpUntil([] { return false; }, 20);
    EXPECT_EQ(ticks, window.Count(L"timer")) << "no ticks after the kill";
    ASSERT_TRUE(manager.SetTimer(root, 10, 10)) << "a stopped timer re-arms";
    EXPECT_TRUE(PumpUntil([&] { return window.Count(L"timer") >= ticks + 2; }));
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, AsynchronousNotificationsArriveOnTheWindowThread)
{
    ProbeWindow window(L"mainWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    DuiLib::PaintManager& manager = window.GetPaintManager();
    std::thread worker([&manager] {
        DuiLib::NotifyMessage msg;
        msg.type = L"checknet";
        msg.sender = manager.GetRoot();
        msg.wParam = 0x10000;
        manager.SendNotify(msg, true);
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return window.Count(L"checknet") == 1; }));
    for (size_t i = 0; i < window.notes.size(); ++i) {
        if (window.notes[i] == L"checknet") {
            EXPECT_EQ(::GetCurrentThreadId(), window.noteThreads[i]);
        }
    }
    EXPECT_EQ(0x10000u, window.ParamOf(L"checknet"));
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, UnknownElementsAreOfferedAndWindowInitComesOnce)
{
    ProbeWindow window(L"MainWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ((std::vector<std::wstring>{L"SequenceLabel"}), window.offered);
    EXPECT_NE(nullptr, window.GetPaintManager().FindControl(L"progressAnLb"));
    ::UpdateWindow(hwnd);
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
    PumpUntil([&] { return window.Count(L"windowinit") > 0; });
    EXPECT_EQ(1u, window.Count(L"windowinit"));
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, EditBoxReallyEdits)
{
    ProbeWindow window(L"mainWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    DuiLib::PaintManager& manager = window.GetPaintManager();
    auto* tabs = static_cast<DuiLib::CTabLayoutUI*>(manager.FindControl(L"mainTabLt"));
    ASSERT_TRUE(tabs->SelectItem(1, false));
    auto* edit = static_cast<DuiLib::CEditUI*>(manager.FindControl(L"installDirEdit")->GetInterface(L"Edit"));
    ASSERT_NE(nullptr, edit);
    edit->SetText(L"C:\\Program Files");
    ::UpdateWindow(hwnd);

    PostClick(hwnd, edit->GetPos());
    ASSERT_TRUE(PumpUntil([&] { return edit->GetNativeEdit() != nullptr; })) << "no native edit while focused";
    HWND native = edit->GetNativeEdit();
    EXPECT_EQ(L"C:\\Program Files", edit->GetText());
    // Typing replaces the selection, as in any edit box.
    ::SendMessageW(native, WM_CHAR, L'D', 0);
    ::SendMessageW(native, WM_CHAR, L':', 0);
    ::SendMessageW(native, WM_CHAR, L'\\', 0);
    ::SendMessageW(native, WM_CHAR, L'x', 0);
    ::SendMessageW(native, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(L"D:\\", edit->GetText());

    // Clicking elsewhere hands the text over and removes the native edit.
    PostClick(hwnd, RECT{300, 120, 302, 122});
    ASSERT_TRUE(PumpUntil([&] { return edit->GetNativeEdit() == nullptr && !::IsWindow(native); }));
    EXPECT_EQ(L"D:\\", edit->GetText());
    EXPECT_EQ(1u, window.Count(L"textchanged"));
    ::DestroyWindow(hwnd);
}

TEST_F(WindowBase, TreeReleasedInAMessageHandlerWaitsForItsEnd)
{
    bool labelGone = false;
    ProbeWindow window(L"MainWnd.xml");
    window.labelGone = &labelGone;
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    DuiLib::CControlUI* label = window.GetPaintManager().FindControl(L"progressAnLb");
    ASSERT_NE(nullptr, label);
    bool aliveAfterDestroy = false;
    window.onOther = [&](UINT msg, WPARAM, LPARAM) {
        if (msg != kStatusMessage) return false;
        ::DestroyWindow(window.GetHWND());
        aliveAfterDestroy = !labelGone;
        if (aliveAfterDestroy) label->SetText(L"after the window");
        return true;
    };
    ::PostMessageW(hwnd, kStatusMessage, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }));
    EXPECT_TRUE(aliveAfterDestroy) << "the tree went while the handler still used it";
    EXPECT_TRUE(labelGone) << "and it goes when the handler returns";
}

TEST_F(WindowBase, TreeReleasedInsideANestedPromptWaitsForTheOuterHandler)
{
    bool labelGone = false;
    ProbeWindow owner(L"MainWnd.xml");
    owner.labelGone = &labelGone;
    HWND hwnd = owner.Open();
    ASSERT_NE(nullptr, hwnd);
    bool aliveAfterPrompt = false;
    bool promptReturned = false;
    owner.onOther = [&](UINT msg, WPARAM wParam, LPARAM) {
        if (msg != kStatusMessage) return false;
        if (wParam == 2) {
            // Served by the prompt's loop: the owner goes, and its prompt with it.
            ::DestroyWindow(owner.GetHWND());
            return true;
        }
        ProbeWindow prompt(L"MessageBox2Wnd.xml");
        prompt.Open(owner.GetHWND());
        ::PostMessageW(owner.GetHWND(), kStatusMessage, 2, 0);
        {
            ModalWatchdog watchdog(prompt.GetHWND());
            prompt.ShowModal();
        }
        promptReturned = true;
        aliveAfterPrompt = !labelGone;
        return true;
    };
    ::PostMessageW(hwnd, kStatusMessage, 1, 0);
    ASSERT_TRUE(PumpUntil([&] { return promptReturned; }));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(aliveAfterPrompt) << "the tree went while the handler that opened the prompt still ran";
    EXPECT_TRUE(labelGone);
}

// What a subclass of the window (as the drop shadow installs) sees of its last messages.
struct LastMessages {
    WNDPROC former = nullptr;
    const bool* labelGone = nullptr;
    bool sawDestroy = false;
    bool treeAtDestroy = false;
};
LastMessages* g_lastMessages = nullptr;

LRESULT CALLBACK WatchLastMessages(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LastMessages& seen = *g_lastMessages;
    if (msg == WM_DESTROY) {
        seen.sawDestroy = true;
        seen.treeAtDestroy = !*seen.labelGone;
    }
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(seen.former));
    return ::CallWindowProcW(seen.former, hwnd, msg, wParam, lParam);
}

// A window whose own handler uses a member, destroying its window first as frames do.
class MemberWindow : public ProbeWindow {
public:
    explicit MemberWindow(bool* memberSeenAlive) : ProbeWindow(L"exitTipWnd.xml"), memberSeenAlive_(memberSeenAlive) {}
    ~MemberWindow() override { DestroyNativeWindow(); }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& handled) override
    {
        *memberSeenAlive_ = member_.alive && GetPaintManager().GetRoot() != nullptr;
        handled = false;
        return 0;
    }

private:
    struct Member {
        bool alive = true;
        ~Member() { alive = false; }
    };
    bool* memberSeenAlive_;
    Member member_;
};

TEST_F(WindowBase, ObjectDestroyedFirstDestroysItsWindowWhileItsPartsLive)
{
    bool labelGone = false;
    LastMessages seen;
    seen.labelGone = &labelGone;
    g_lastMessages = &seen;
    HWND hwnd = nullptr;
    {
        ProbeWindow window(L"MainWnd.xml");
        window.labelGone = &labelGone;
        hwnd = window.Open();
        ASSERT_NE(nullptr, hwnd);
        seen.former = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchLastMessages)));
    }
    g_lastMessages = nullptr;
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(seen.sawDestroy);
    EXPECT_TRUE(seen.treeAtDestroy) << "the window outlived the paint manager and its tree";
    EXPECT_TRUE(labelGone);

    bool memberSeenAlive = false;
    {
        MemberWindow window(&memberSeenAlive);
        ASSERT_NE(nullptr, window.Open());
    }
    EXPECT_TRUE(memberSeenAlive) << "the derived window's handler did not see its member";
}

TEST_F(WindowBase, NeitherSpaceNorEnterAnswersAPromptWhoseButtonHasTheFocus)
{
    ProbeWindow prompt(L"exitTipWnd.xml");
    HWND hwnd = prompt.Open();
    ASSERT_NE(nullptr, hwnd);
    RECT ok = prompt.GetPaintManager().FindControl(L"okBtn")->GetPos();
    LPARAM onOk = MAKELPARAM((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    LPARAM away = MAKELPARAM(5, 170);
    // Pressed on "是", thought better of it and released elsewhere.
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, onOk);
    ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, onOk);
    ::PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, away);
    ::PostMessageW(hwnd, WM_LBUTTONUP, 0, away);
    for (WPARAM key : {static_cast<WPARAM>(VK_SPACE), static_cast<WPARAM>(VK_RETURN)}) {
        ::PostMessageW(hwnd, WM_KEYDOWN, key, 1);
        ::PostMessageW(hwnd, WM_CHAR, key == VK_SPACE ? L' ' : L'\r', 1);
        ::PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
    }
    bool focusedAtClose = false;
    prompt.onOther = [&](UINT msg, WPARAM, LPARAM) {
        if (msg == kStatusMessage) focusedAtClose = prompt.GetPaintManager().FindControl(L"okBtn")->IsFocused();
        return false;
    };
    ::PostMessageW(hwnd, kStatusMessage, 0, 0);
    ::PostMessageW(hwnd, WM_CLOSE, 5, 0);
    ModalWatchdog watchdog(hwnd);
    EXPECT_EQ(5u, prompt.ShowModal());
    EXPECT_TRUE(focusedAtClose) << "the press gave the button the focus";
    EXPECT_TRUE(prompt.clicks.empty()) << "a key answered the prompt";
}

// A bare window that hands its messages to a paint manager, as the window base does.
class HostWindow : public DuiLib::CWindowWnd {
public:
    explicit HostWindow(DuiLib::PaintManager& manager) : manager_(manager) {}
    std::wstring WindowClassName() const override { return L"ToolkitTimerHost"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (manager_.MessageHandler(msg, wParam, lParam, result)) return result;
        return CWindowWnd::HandleMessage(msg, wParam, lParam);
    }

private:
    DuiLib::PaintManager& manager_;
};

// Counts the "timer" notifications of a window.
class TickCounter : public DuiLib::INotifyUI {
public:
    void Notify(DuiLib::NotifyMessage& msg) override { ticks += msg.type == L"timer" ? 1 : 0; }
    int ticks = 0;
};

TEST_F(WindowBase, TimerStartedBeforeTheWindowTicksOnceItExists)
{
    TestSupport::ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    DuiLib::PaintManager& manager = tree.Manager();
    TickCounter counter;
    manager.AddNotifier(&counter);
    DuiLib::CControlUI* root = manager.GetRoot();
    ASSERT_TRUE(manager.SetTimer(root, 10, 10));

    HostWindow host(manager);
    ASSERT_NE(nullptr, host.Create(nullptr, L"host", WS_POPUP, 0, 0, 0, 20, 20));
    manager.Init(host.GetHWND());
    EXPECT_TRUE(PumpUntil([&] { return counter.ticks >= 2; })) << "the timer never ran";
    EXPECT_FALSE(manager.SetTimer(root, 10, 10)) << "it runs";
    ASSERT_TRUE(manager.KillTimer(root, 10));
    int ticks = counter.ticks;
    ASSERT_TRUE(manager.SetTimer(root, 10, 10)) << "stopped, it starts again";
    EXPECT_TRUE(PumpUntil([&] { return counter.ticks >= ticks + 2; }));
    ::DestroyWindow(host.GetHWND());
    manager.Init(nullptr);
}

TEST_F(WindowBase, WindowClassesAndSkinResourcesShareOneModuleInstance)
{
    HINSTANCE exe = ::GetModuleHandleW(nullptr);
    // A module that holds no skin archive.
    HINSTANCE other = ::GetModuleHandleW(L"gdiplus.dll");
    ASSERT_NE(nullptr, other);
    DuiLib::PaintManager::SetInstance(other);
    HMODULE resources = DuiLib::GetResourceModule();
    ProbeWindow window(L"exitTipWnd.xml");
    HWND hwnd = window.Open();
    DuiLib::PaintManager::SetInstance(exe);
    EXPECT_EQ(other, resources);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(other, reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd, GWLP_HINSTANCE)));
    EXPECT_EQ(0, window.skinLoaded) << "the skin came from another module than the window class";
    ::DestroyWindow(hwnd);
}

// Handlers that fail: a window message, a click and an edit box's hand-over.
class ThrowingWindow : public ProbeWindow {
public:
    explicit ThrowingWindow(std::wstring skin) : ProbeWindow(std::move(skin)) {}
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_GETTEXT && failTitle) throw std::runtime_error("title refused");
        return ProbeWindow::HandleMessage(msg, wParam, lParam);
    }
    void OnClick(DuiLib::NotifyMessage& msg) override
    {
        if (msg.sender && msg.sender->GetName() == L"cancelBtn") throw 42;
        ProbeWindow::OnClick(msg);
    }
    void Notify(DuiLib::NotifyMessage& msg) override
    {
        if (msg.type == L"textchanged") throw std::runtime_error("text refused");
        ProbeWindow::Notify(msg);
    }
    bool failTitle = false;
};

TEST_F(WindowBase, ExceptionsStayInsideTheWindowProcedure)
{
    TestSupport::LogCapture log;
    {
        ThrowingWindow prompt(L"exitTipWnd.xml");
        HWND hwnd = prompt.Open();
        ASSERT_NE(nullptr, hwnd);
        prompt.failTitle = true;
        wchar_t title[16] = {};
        EXPECT_EQ(5, ::SendMessageW(hwnd, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(title)));
        EXPECT_EQ(std::wstring(L"probe"), title) << "answered by the default procedure";
        EXPECT_EQ(1u, log.Matching(L"title refused").size());

        PostClick(hwnd, prompt.GetPaintManager().FindControl(L"cancelBtn")->GetPos());
        PostClick(hwnd, prompt.GetPaintManager().FindControl(L"okBtn")->GetPos());
        ModalWatchdog watchdog(hwnd);
        EXPECT_EQ(7u, prompt.ShowModal()) << "the window went on after the failed click";
        EXPECT_EQ(1u, log.Matching(L"unknown type").size());
    }
    ThrowingWindow window(L"mainWnd.xml");
    HWND hwnd = window.Open();
    ASSERT_NE(nullptr, hwnd);
    ASSERT_TRUE(static_cast<DuiLib::CTabLayoutUI*>(window.GetPaintManager().FindControl(L"mainTabLt"))->SelectItem(1));
    auto* edit = static_cast<DuiLib::CEditUI*>(window.GetPaintManager().FindControl(L"installDirEdit"));
    window.GetPaintManager().EnsureLayout();
    PostClick(hwnd, edit->GetPos());
    ASSERT_TRUE(PumpUntil([&] { return edit->GetNativeEdit() != nullptr; }));
    ::SendMessageW(edit->GetNativeEdit(), WM_CHAR, L'x', 0);
    ::SendMessageW(edit->GetNativeEdit(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1u, log.Matching(L"text refused").size());
    EXPECT_EQ(nullptr, edit->GetNativeEdit()) << "Enter still ended the editing";
    EXPECT_EQ(L"x", edit->GetText());
    ::DestroyWindow(hwnd);
}

}  // namespace
