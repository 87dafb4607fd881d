// The window base with real windows under the display: creation from the
// embedded skin, the caption band, the modal loop and its close codes, keys,
// real mouse messages, control timers, asynchronous notifications and the
// edit box.

#include "DuiLib/ControlUI.h"
#include "DuiLib/EditUI.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/TabLayoutUI.h"
#include "DuiLib/WindowImplBase.h"
#include "MessagePump.h"
#include "ToolkitSkinTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using TestSupport::PumpUntil;

class ProbeWindow : public DuiLib::WindowImplBase {
public:
    explicit ProbeWindow(std::wstring skin, int resourceId = 147) : skin_(std::move(skin)), resourceId_(resourceId) {}

    std::wstring WindowClassName() const override { return L"ToolkitProbe" + skin_.substr(0, skin_.find(L'.')); }
    std::wstring SkinFolder() const override { return L""; }
    std::wstring SkinFile() const override { return skin_; }
    int ResourceKind() const override { return DuiLib::ResourceArchiveModule; }
    LPCWSTR ResourceId() const override { return MAKEINTRESOURCEW(resourceId_); }
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

    DuiLib::CControlUI* CreateControl(const std::wstring& name) override
    {
        offered.push_back(name);
        return name == L"SequenceLabel" ? new DuiLib::CLabelUI : nullptr;
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

    HWND Open(HWND owner = nullptr)
    {
        return Create(owner, L"probe", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT);
    }

    int skinLoaded = 0;
    bool ownerEnabledAtClick = true;
    std::vector<WPARAM> noteParams;
    std::vector<std::wstring> clicks;
    std::vector<std::wstring> notes;
    std::vector<DWORD> noteThreads;
    std::vector<std::wstring> offered;

private:
    std::wstring skin_;
    int resourceId_;
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

}  // namespace
