// The frame-sequence animation without a window: the frame orders of the
// tick step, degenerate frame counts, the frame pattern checks, the skin
// attributes with their case rules, and the controls built from the shipped
// main skin, ticked by hand.

#include "DuiLib/DialogBuilder.h"
#include "DuiLib/PaintManager.h"
#include "DuiLib/SequenceAnimation.h"
#include "DuiLib/SequenceButtonUI.h"
#include "DuiLib/SequenceControls.h"
#include "DuiLib/SequenceLabelUI.h"
#include "DuiLib/TabLayoutUI.h"
#include "SequenceSkin.h"
#include "ToolkitSkinTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using DuiLib::SequenceAnimation;
using DuiLib::SequenceStep;
using DuiLib::StepSequence;

// The frames a state shows over ticks ticks; -1 marks the tick that stopped
// the timer (and ends the run).
std::vector<int> FramesShown(SequenceAnimation state, int ticks)
{
    std::vector<int> frames;
    for (int i = 0; i < ticks; ++i) {
        SequenceStep step = StepSequence(state);
        if (step.stopTimer) {
            frames.push_back(-1);
            break;
        }
        if (step.showFrame) frames.push_back(step.image.empty() ? -2 : std::stoi(step.image.substr(1)));
    }
    return frames;
}

SequenceAnimation Animation(int count, bool loop, bool roundTrip)
{
    SequenceAnimation state;
    state.pattern = L"f%d";
    state.count = count;
    state.loop = loop;
    state.roundTrip = roundTrip;
    return state;
}

std::vector<int> Range(int from, int to)
{
    std::vector<int> frames;
    for (int f = from; from <= to ? f <= to : f >= to; from <= to ? ++f : --f) frames.push_back(f);
    return frames;
}

std::vector<int> Join(std::vector<std::vector<int>> parts)
{
    std::vector<int> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

DuiLib::UIEvent Tick(WPARAM id = DuiLib::kSequenceTimerId)
{
    DuiLib::UIEvent event;
    event.type = DuiLib::UIEventType::Timer;
    event.wParam = id;
    return event;
}

TEST(SequenceStep, FrameOrdersForTwentyOneFrames)
{
    struct Case {
        const char* name;
        bool loop;
        bool roundTrip;
        std::vector<int> frames;
    } cases[] = {
        {"loop", true, false, Join({Range(0, 20), Range(0, 20), Range(0, 9)})},
        {"loop, round trip", true, true, Join({Range(0, 20), Range(19, 1), Range(0, 11)})},
        {"no loop", false, false, Join({Range(0, 20), {-1}})},
        {"no loop, round trip", false, true, Join({Range(0, 20), Range(19, 1), {-1}})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.frames, FramesShown(Animation(21, c.loop, c.roundTrip), 52)) << c.name;
    }
}

TEST(SequenceStep, StoppedRunShowsItsLastFrameAndStartsOverFromZero)
{
    SequenceAnimation state = Animation(21, false, true);
    std::vector<int> frames = FramesShown(state, 100);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(1, frames[frames.size() - 2]) << "a finished round trip leaves frame 1 shown";

    SequenceAnimation once = Animation(21, false, false);
    for (int i = 0; i < 22; ++i) StepSequence(once);
    once.index = 0;  // what Start does
    EXPECT_EQ(Range(0, 20), FramesShown(once, 21)) << "a new run goes through every frame again";
}

TEST(SequenceStep, FrameCountsBelowTwo)
{
    struct Case {
        const char* name;
        int count;
        bool loop;
        bool roundTrip;
        std::vector<int> frames;
    } cases[] = {
        // No frames: nothing to show, and the index must not run away.
        {"0, loop", 0, true, false, {}},
        {"0, round trip", 0, true, true, {}},
        {"0, no loop", 0, false, false, {}},
        {"negative", -4, true, true, {}},
        // One frame: shown on every tick; round trip has nowhere to turn to.
        {"1, loop", 1, true, false, {0, 0, 0, 0, 0}},
        {"1, round trip", 1, true, true, {0, 0, 0, 0, 0}},
        {"1, no loop", 1, false, false, {0, -1}},
        {"1, no loop, round trip", 1, false, true, {0, -1}},
        // Two frames: the smallest real turn.
        {"2, round trip", 2, true, true, {0, 1, 0, 1, 0}},
        {"2, no loop, round trip", 2, false, true, {0, 1, -1}},
    };
    for (const Case& c : cases) {
        SequenceAnimation state = Animation(c.count, c.loop, c.roundTrip);
        EXPECT_EQ(c.frames, FramesShown(state, 5)) << c.name;
        for (int i = 0; i < 50; ++i) StepSequence(state);
        EXPECT_LE(state.index, 2u) << c.name << ": the index stays within the frames";
    }
}

TEST(SequenceStep, FrameCountShrinkingOnTheWayBack)
{
    SequenceAnimation state = Animation(21, true, true);
    for (int i = 0; i < 24; ++i) StepSequence(state);  // 0..20, then 19, 18, 17: going back at 16
    state.count = 5;
    EXPECT_EQ(Join({Range(4, 0), Range(1, 4)}), FramesShown(state, 9));
}

TEST(SequenceStep, EmptyOrUnusablePatternChangesNothing)
{
    for (const wchar_t* pattern : {L"", L"frame.png", L"%s.png", L"%d-%d.png"}) {
        SequenceAnimation state = Animation(21, true, false);
        state.pattern = pattern;
        for (int i = 0; i < 30; ++i) {
            SequenceStep step = StepSequence(state);
            EXPECT_FALSE(step.showFrame);
            EXPECT_FALSE(step.stopTimer);
        }
        EXPECT_EQ(0u, state.index);
    }
}

TEST(FramePattern, OnlyOneIntegerConversionIsUsable)
{
    struct Case {
        std::wstring pattern;
        bool usable;
    } cases[] = {
        {L"%d", true},
        {L"res\\mainWnd\\installBtnAnimate\\%.3d.png", true},
        {L"%i", true},
        {L"%u", true},
        {L"%x", true},
        {L"%X", true},
        {L"%o", true},
        {L"%-+ #05.3d", true},
        {L"%.d", true},
        {L"100%%-%03d%%.png", true},
        {L"%999d", true},
        {L"", false},
        {L"frame.png", false},
        {L"%%d", false},
        {L"%d%d", false},
        {L"%d%%%u", false},
        {L"%s", false},
        {L"%ls", false},
        {L"%n", false},
        {L"%d%n", false},
        {L"%p", false},
        {L"%c", false},
        {L"%f", false},
        {L"%*d", false},
        {L"%.*d", false},
        {L"%ld", false},
        {L"%lld", false},
        {L"%I64d", false},
        {L"%hd", false},
        {L"%1$d", false},
        {L"%1000d", false},
        {L"%.1000d", false},
        {L"%5", false},
        {L"frame%", false},
        {std::wstring(L"%d\0%s", 5), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.usable, DuiLib::IsFramePatternUsable(c.pattern)) << std::string(c.pattern.begin(), c.pattern.end());
    }
}

TEST(FramePattern, FormattingAndTheFrameNameBuffer)
{
    std::wstring name;
    ASSERT_TRUE(DuiLib::FormatFrameName(L"res\\mainWnd\\installBtnAnimate\\%.3d.png", 7, name));
    EXPECT_EQ(L"res\\mainWnd\\installBtnAnimate\\007.png", name);
    ASSERT_TRUE(DuiLib::FormatFrameName(L"100%%-%x", 255, name));
    EXPECT_EQ(L"100%-ff", name);

    // 259 characters fit the buffer of 260; one more does not, whether the
    // length comes from the text or from the field width.
    std::wstring stem(256, L'a');
    ASSERT_TRUE(DuiLib::FormatFrameName(stem + L"%.3d", 5, name));
    EXPECT_EQ(259u, name.size());
    name = L"unchanged";
    EXPECT_FALSE(DuiLib::FormatFrameName(stem + L"%.4d", 5, name));
    EXPECT_EQ(L"unchanged", name);
    EXPECT_FALSE(DuiLib::FormatFrameName(L"%260d", 5, name));
    EXPECT_TRUE(DuiLib::FormatFrameName(L"%259d", 5, name));
    EXPECT_EQ(259u, name.size());
    EXPECT_FALSE(DuiLib::FormatFrameName(L"%s", 5, name));
}

TEST(FramePattern, FrameNameTooLongShowsNoImageAndTheAnimationGoesOn)
{
    SequenceAnimation state = Animation(3, true, false);
    state.pattern = std::wstring(255, L'a') + L"%d.png";  // 260 characters and more
    for (uint32_t expectedNext : {1u, 2u, 3u}) {
        SequenceStep step = StepSequence(state);
        EXPECT_TRUE(step.showFrame);
        EXPECT_TRUE(step.image.empty());
        EXPECT_EQ(expectedNext, state.index);
    }
}

TEST(SequenceAttributes, SwitchesAreOffOnlyForExactlyFalse)
{
    struct Case {
        const wchar_t* value;
        bool on;
    } cases[] = {{L"false", false}, {L"False", true}, {L"FALSE", true}, {L"true", true},
                 {L"0", true},      {L"", true},      {L" false", true}};
    for (const wchar_t* name : {L"sequenceloop", L"autostart", L"sequenceround"}) {
        for (const Case& c : cases) {
            SequenceAnimation state;
            state.loop = state.autostart = state.roundTrip = !c.on;
            ASSERT_TRUE(DuiLib::ApplySequenceAttribute(state, name, c.value));
            bool value = std::wstring(name) == L"sequenceloop" ? state.loop
                       : std::wstring(name) == L"autostart"    ? state.autostart
                                                               : state.roundTrip;
            EXPECT_EQ(c.on, value) << std::string(name, name + wcslen(name)) << "="
                                   << std::string(c.value, c.value + wcslen(c.value));
        }
    }
}

TEST(SequenceAttributes, NamesAreCaseInsensitiveExceptTheFramePattern)
{
    SequenceAnimation state;
    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"SequenceCount", L"21"));
    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"SEQUENCESPAN", L"45"));
    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"SequenceLoop", L"false"));
    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"AutoStart", L"true"));
    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"sequenceRound", L"true"));
    EXPECT_EQ(21, state.count);
    EXPECT_EQ(45, state.period);
    EXPECT_FALSE(state.loop);
    EXPECT_TRUE(state.autostart);
    EXPECT_TRUE(state.roundTrip);

    EXPECT_FALSE(DuiLib::ApplySequenceAttribute(state, L"SequenceBkImage", L"a%d"));
    EXPECT_FALSE(DuiLib::ApplySequenceAttribute(state, L"SEQUENCEBKIMAGE", L"a%d"));
    EXPECT_TRUE(state.pattern.empty());
    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"sequencebkimage", L"a%d"));
    EXPECT_EQ(L"a%d", state.pattern);

    EXPECT_TRUE(DuiLib::ApplySequenceAttribute(state, L"sequencecount", L"many"));
    EXPECT_EQ(0, state.count) << "a count that is no number gives 0";
    EXPECT_FALSE(DuiLib::ApplySequenceAttribute(state, L"bkimage", L"x.png"));
}

TEST(SequenceAttributes, TimerElapse)
{
    EXPECT_EQ(30u, DuiLib::TimerElapseFor(30));
    EXPECT_EQ(0u, DuiLib::TimerElapseFor(0)) << "the platform's shortest interval";
    EXPECT_EQ(0u, DuiLib::TimerElapseFor(-5)) << "no wrap into weeks";
}

TEST(SequenceControls, ClassesDefaultsAndCreationByName)
{
    DuiLib::CSequenceLabelUI label;
    EXPECT_EQ(L"SequenceLabel", label.GetClass());
    EXPECT_EQ(&label, label.GetInterface(L"SequenceLabel"));
    EXPECT_EQ(&label, label.GetInterface(L"Label"));
    EXPECT_EQ(nullptr, label.GetInterface(L"Button"));
    EXPECT_EQ(30, label.GetFramePeriod());
    EXPECT_FALSE(label.Animation().roundTrip);
    EXPECT_TRUE(label.Animation().loop);
    EXPECT_FALSE(label.Animation().autostart);
    EXPECT_EQ(0, label.GetFrameCount());

    DuiLib::CSequenceButtonUI button;
    EXPECT_EQ(L"SequenceButton", button.GetClass());
    EXPECT_EQ(&button, button.GetInterface(L"SequenceButton"));
    EXPECT_EQ(&button, button.GetInterface(L"Button"));
    EXPECT_EQ(&button, button.GetInterface(L"Label"));
    EXPECT_EQ(60, button.GetFramePeriod());
    EXPECT_TRUE(button.Animation().roundTrip);
    EXPECT_TRUE(button.Animation().loop);

    for (const wchar_t* name : {L"SequenceLabel", L"sequencelabel", L"SEQUENCELABEL"}) {
        auto control = DuiLib::CreateSequenceControl(name);
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(L"SequenceLabel", control->GetClass());
    }
    for (const wchar_t* name : {L"SequenceButton", L"sequenceButton"}) {
        auto control = DuiLib::CreateSequenceControl(name);
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(L"SequenceButton", control->GetClass());
    }
    EXPECT_EQ(nullptr, DuiLib::CreateSequenceControl(L"Label"));
    EXPECT_EQ(nullptr, DuiLib::CreateSequenceControl(L"SequenceLabels"));
}

TEST(SequenceControls, SettersStoreWithoutRepaintOrRestart)
{
    DuiLib::CSequenceButtonUI button;
    button.SetFramePattern(L"b%d");
    button.SetFrameCount(4);
    button.SetFramePeriod(15);
    EXPECT_EQ(L"b%d", button.GetFramePattern());
    EXPECT_EQ(4, button.GetFrameCount());
    EXPECT_EQ(15, button.GetFramePeriod());
    EXPECT_TRUE(button.GetBkImage().empty()) << "the pattern shows with the next tick only";
    DuiLib::UIEvent tick = Tick();
    button.DoEvent(tick);
    EXPECT_EQ(L"b0", button.GetBkImage());
}

TEST(SequenceControls, AttributesThroughTheControls)
{
    DuiLib::CSequenceLabelUI label;
    label.SetAttribute(L"SequenceBkImage", L"wrong%d");
    label.SetAttribute(L"SequenceRound", L"False");
    label.SetAttribute(L"sequencebkimage", L"a%d");
    label.SetAttribute(L"text", L"still a label");
    EXPECT_EQ(L"a%d", label.GetFramePattern());
    EXPECT_TRUE(label.Animation().roundTrip) << "False with a capital F switches round trip on";
    EXPECT_EQ(L"still a label", label.GetText());

    DuiLib::CSequenceButtonUI button;
    button.SetAttribute(L"sequenceround", L"false");
    button.SetAttribute(L"normalimage", L"n.png");
    EXPECT_FALSE(button.Animation().roundTrip);
}

// The builder hands attribute names over as the skin spells them, so the
// frame pattern's name is matched exactly there too.
TEST(SequenceControls, SkinSpellingOfAttributeNames)
{
    DuiLib::PaintManager manager;
    TestSupport::SequenceControlFactory factory;
    DuiLib::DialogBuilder builder;
    std::unique_ptr<DuiLib::CControlUI> root(builder.CreateFromText(
        "<Window size=\"200,200\"><VerticalLayout>"
        "<SequenceLabel name=\"exact\" sequencebkimage=\"e%d\" SequenceRound=\"False\" SEQUENCECOUNT=\"3\" />"
        "<SequenceLabel name=\"mixed\" SequenceBkImage=\"m%d\" sequenceLoop=\"false\" />"
        "<SequenceButton name=\"button\" sequenceBKimage=\"b%d\" AutoStart=\"False\" />"
        "</VerticalLayout></Window>",
        &factory, &manager));
    ASSERT_NE(nullptr, root);
    auto find = [&root](const std::wstring& name) {
        return root->FindControl([&name](DuiLib::CControlUI* c) { return c->GetName() == name; });
    };
    auto* exact = static_cast<DuiLib::CSequenceLabelUI*>(find(L"exact"));
    auto* mixed = static_cast<DuiLib::CSequenceLabelUI*>(find(L"mixed"));
    auto* button = static_cast<DuiLib::CSequenceButtonUI*>(find(L"button"));
    ASSERT_TRUE(exact && mixed && button);
    EXPECT_EQ(L"e%d", exact->GetFramePattern());
    EXPECT_TRUE(exact->Animation().roundTrip);
    EXPECT_EQ(3, exact->GetFrameCount());
    EXPECT_FALSE(mixed->Animation().loop) << "other names match in any case";
    EXPECT_TRUE(button->Animation().autostart);
    EXPECT_EQ(L"", mixed->GetFramePattern()) << "SequenceBkImage is not sequencebkimage";
    EXPECT_EQ(L"", button->GetFramePattern()) << "sequenceBKimage is not sequencebkimage";
}

class ShippedProgressAnimation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree_.Build(L"mainWnd.xml", 0, 0, &factory_));
        DuiLib::CControlUI* control = tree_.Find(L"progressAnLb");
        ASSERT_NE(nullptr, control);
        label_ = static_cast<DuiLib::CSequenceLabelUI*>(control->GetInterface(L"SequenceLabel"));
        ASSERT_NE(nullptr, label_);
    }

    std::wstring TickOnce()
    {
        DuiLib::UIEvent tick = Tick();
        label_->DoEvent(tick);
        return label_->GetBkImage();
    }

    TestSupport::SequenceControlFactory factory_;
    TestSupport::ToolkitSkinTree tree_;
    DuiLib::CSequenceLabelUI* label_ = nullptr;
};

TEST_F(ShippedProgressAnimation, SkinValues)
{
    EXPECT_EQ(L"res\\mainWnd\\installBtnAnimate\\%.3d.png", label_->GetFramePattern());
    EXPECT_EQ(21, label_->GetFrameCount());
    EXPECT_EQ(30, label_->GetFramePeriod());
    EXPECT_TRUE(label_->Animation().autostart);
    EXPECT_TRUE(label_->Animation().loop);
    EXPECT_FALSE(label_->Animation().roundTrip);
    auto* pages = tree_.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    ASSERT_NE(nullptr, pages);
    ASSERT_TRUE(pages->SelectItem(2, false));
    tree_.Layout(600, 400);
    RECT box = label_->GetPos();
    EXPECT_EQ(160, box.right - box.left);
    EXPECT_EQ(160, box.bottom - box.top);
}

TEST_F(ShippedProgressAnimation, CyclesThroughFramesZeroToTwenty)
{
    std::vector<std::wstring> shown;
    for (int i = 0; i < 43; ++i) shown.push_back(TickOnce());
    for (int i = 0; i < 43; ++i) EXPECT_EQ(TestSupport::ProgressFrameImage(i % 21), shown[i]) << "tick " << i;
    // Every frame is in the archive.
    for (int frame = 0; frame < 21; ++frame) {
        EXPECT_NE(nullptr, tree_.Manager().GetImage(TestSupport::ProgressFrameImage(frame))) << frame;
    }
}

TEST_F(ShippedProgressAnimation, StartWhileRunningShowsFrameZeroNext)
{
    for (int i = 0; i < 7; ++i) TickOnce();
    EXPECT_EQ(TestSupport::ProgressFrameImage(6), label_->GetBkImage());
    label_->Start();
    EXPECT_EQ(TestSupport::ProgressFrameImage(0), TickOnce());
    EXPECT_EQ(TestSupport::ProgressFrameImage(1), TickOnce());
}

TEST_F(ShippedProgressAnimation, OnlyItsOwnTimerSteps)
{
    TickOnce();
    DuiLib::UIEvent other = Tick(10);
    label_->DoEvent(other);
    DuiLib::UIEvent click;
    click.type = DuiLib::UIEventType::ButtonDown;
    label_->DoEvent(click);
    EXPECT_EQ(TestSupport::ProgressFrameImage(1), TickOnce());
}

}  // namespace
