// The frame animation with real timers under the display: the main skin's
// progress animation in a window of this process (it starts by itself on the
// hidden progress page), and skinview.exe showing that page, photographed on
// two different frames.

#include "DuiLib/SequenceLabelUI.h"
#include "DuiLib/TabLayoutUI.h"
#include "DuiLib/WindowImplBase.h"
#include "ScreenCapture.h"
#include "SequenceSkin.h"
#include "SkinViewProcess.h"
#include "ToolkitSkinTree.h"
#include "support/MessagePump.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TestSupport::ProgressFrameImage;
using TestSupport::PumpUntil;

// The main skin in a plain window whose skin builder creates the animation
// controls; remembers what progressAnLb showed each time its timer fired.
class AnimatedMainWindow : public DuiLib::WindowImplBase {
public:
    std::wstring WindowClassName() const override { return L"SequenceProbeMainWnd"; }
    std::wstring SkinFolder() const override { return L""; }
    std::wstring SkinFile() const override { return L"mainWnd.xml"; }
    int ResourceKind() const override { return DuiLib::ResourceArchiveModule; }
    LPCWSTR ResourceId() const override { return MAKEINTRESOURCEW(147); }

    std::unique_ptr<DuiLib::CControlUI> CreateControl(const std::wstring& name) override
    {
        return factory_.CreateControl(name);
    }

    void Notify(DuiLib::NotifyMessage& msg) override
    {
        if (msg.type == L"timer" && msg.sender && msg.sender->GetName() == L"progressAnLb") {
            EXPECT_EQ(DuiLib::kSequenceTimerId, msg.wParam);
            // Sent before the step: the frame the previous tick put up.
            shownAtTick.push_back(msg.sender->GetBkImage());
        }
        WindowImplBase::Notify(msg);
    }

    HWND Open()
    {
        return Create(nullptr, L"animation probe", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT);
    }

    DuiLib::CSequenceLabelUI* Animation()
    {
        DuiLib::CControlUI* control = paintManager_.FindControl(L"progressAnLb");
        return control ? static_cast<DuiLib::CSequenceLabelUI*>(control->GetInterface(L"SequenceLabel")) : nullptr;
    }

    std::vector<std::wstring> shownAtTick;

private:
    TestSupport::SequenceControlFactory factory_;
};

class SequenceWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive());
        ASSERT_NE(nullptr, window_.Open());
        label_ = window_.Animation();
        ASSERT_NE(nullptr, label_) << "the skin's SequenceLabel was not created as a sequence label";
    }
    void TearDown() override
    {
        if (window_.GetHWND()) ::DestroyWindow(window_.GetHWND());
    }

    bool WaitForTicks(size_t more)
    {
        size_t target = window_.shownAtTick.size() + more;
        return PumpUntil([&] { return window_.shownAtTick.size() >= target; });
    }

    AnimatedMainWindow window_;
    DuiLib::CSequenceLabelUI* label_ = nullptr;
};

TEST_F(SequenceWindow, AutostartAdvancesOnTheHiddenProgressPage)
{
    auto* pages = static_cast<DuiLib::CTabLayoutUI*>(window_.GetPaintManager().FindControl(L"mainTabLt"));
    ASSERT_NE(nullptr, pages);
    EXPECT_EQ(0, pages->GetCurSel());
    EXPECT_FALSE(label_->IsVisible()) << "the progress page is not shown";
    EXPECT_TRUE(window_.GetPaintManager().IsTimerRunning(label_, DuiLib::kSequenceTimerId));

    ASSERT_TRUE(WaitForTicks(45)) << "the animation timer does not tick";
    ASSERT_FALSE(window_.shownAtTick.empty());
    EXPECT_EQ(L"", window_.shownAtTick[0]) << "nothing is shown before the first tick";
    for (size_t i = 1; i < 45; ++i) {
        EXPECT_EQ(ProgressFrameImage(static_cast<int>((i - 1) % 21)), window_.shownAtTick[i]) << "tick " << i;
    }
}

TEST_F(SequenceWindow, StartWhileRunningShowsFrameZeroNext)
{
    ASSERT_TRUE(WaitForTicks(8));
    ASSERT_NE(ProgressFrameImage(0), label_->GetBkImage());
    label_->Start();
    EXPECT_TRUE(window_.GetPaintManager().IsTimerRunning(label_, DuiLib::kSequenceTimerId));
    size_t next = window_.shownAtTick.size() + 1;
    ASSERT_TRUE(WaitForTicks(3));
    EXPECT_EQ(ProgressFrameImage(0), window_.shownAtTick[next]);
    EXPECT_EQ(ProgressFrameImage(1), window_.shownAtTick[next + 1]);
}

TEST_F(SequenceWindow, RunWithoutLoopStopsOnTheLastFrame)
{
    ASSERT_TRUE(WaitForTicks(2));
    label_->SetAttribute(L"sequenceloop", L"false");
    DuiLib::PaintManager& manager = window_.GetPaintManager();
    ASSERT_TRUE(PumpUntil([&] { return !manager.IsTimerRunning(label_, DuiLib::kSequenceTimerId); }))
        << "a run without loop must end";
    EXPECT_EQ(ProgressFrameImage(20), label_->GetBkImage());
    size_t ticks = window_.shownAtTick.size();
    PumpUntil([] { return false; }, 12);
    EXPECT_EQ(ticks, window_.shownAtTick.size()) << "no tick after the end";

    label_->Start();
    ASSERT_TRUE(WaitForTicks(2)) << "Start runs it again";
    EXPECT_EQ(ProgressFrameImage(0), window_.shownAtTick.back());
}

// Where progressAnLb sits on page 2 of the main skin.
RECT ProgressAnimationBox()
{
    TestSupport::SequenceControlFactory factory;
    TestSupport::ToolkitSkinTree tree;
    if (!tree.Build(L"mainWnd.xml", 0, 0, &factory)) return RECT{-1, -1, -1, -1};
    auto* pages = tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    if (!pages || !pages->SelectItem(2, false)) return RECT{-1, -1, -1, -1};
    SIZE size = tree.Manager().GetInitSize();
    tree.Layout(size.cx, size.cy);
    return tree.Rect(L"progressAnLb");
}

struct PixelDifference {
    size_t inside = 0;
    size_t outside = 0;
};

PixelDifference Compare(const TestSupport::ScreenCapture& a, const TestSupport::ScreenCapture& b, const RECT& box)
{
    PixelDifference diff;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) == b.At(x, y)) continue;
            POINT pt{x, y};
            ++(::PtInRect(&box, pt) ? diff.inside : diff.outside);
        }
    }
    return diff;
}

TEST(SequenceSkinView, ProgressPageOnTwoFrames)
{
    ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive());
    RECT box = ProgressAnimationBox();
    ASSERT_EQ(160, box.right - box.left) << "progressAnLb not laid out";

    TestSupport::SkinViewProcess viewer;
    ASSERT_TRUE(viewer.Start(L"mainWnd.xml -page=2"));
    HWND window = viewer.WaitForWindow([](HWND hwnd) { return TestSupport::ClassOf(hwnd) == L"mainWnd"; });
    ASSERT_NE(nullptr, window) << "skinview showed no window";

    RECT frame{};
    auto shoot = [&] {
        ::GetWindowRect(window, &frame);
        return TestSupport::CaptureScreen(frame);
    };
    // The first picture once the whole page is painted; the second as soon as the animation has moved on.
    TestSupport::ScreenCapture first;
    for (int attempt = 0; attempt < 50 && first.DistinctColours() <= 8; ++attempt) {
        ::Sleep(100);
        first = shoot();
    }
    ASSERT_GT(first.DistinctColours(), 8u) << "the window looks blank";
    ::Sleep(200);
    first = shoot();
    TestSupport::ScreenCapture second;
    PixelDifference diff;
    for (int attempt = 0; attempt < 100 && diff.inside == 0; ++attempt) {
        ::Sleep(20);
        second = shoot();
        diff = Compare(first, second, box);
    }
    std::wstring out = TestSupport::OutputDir() + L"\\sequence-progress-page-";
    EXPECT_TRUE(first.SavePng(out + L"first.png"));
    EXPECT_TRUE(second.SavePng(out + L"second.png"));

    EXPECT_GT(diff.inside, 200u) << "the animation's pictures differ where it is drawn";
    EXPECT_EQ(0u, diff.outside) << "nothing else on the page changes";
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, viewer.WaitForExit());
}

}  // namespace
