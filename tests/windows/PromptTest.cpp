// Prompts run modally over a real owner window under the display and are
// driven like a person: while the test thread sits in ShowPrompt, a second
// thread clicks where each skin's layout puts the buttons and presses keys
// through the system's input path, then looks at the screen.

#include "DuiLib/ControlUI.h"
#include "DuiLib/GdiHandles.h"
#include "DuiLib/ImageData.h"
#include "DuiLib/ScreenCapture.h"
#include "DuiLib/ToolkitSkinTree.h"
#include "DuiLib/TreePicture.h"
#include "DuiLib/WndShadow.h"
#include "support/MessagePump.h"
#include "support/RealInput.h"
#include "support/TestFiles.h"
#include "windows/MessageBoxWnd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using TestSupport::ScreenCapture;

constexpr UINT kOpenNestedPrompt = WM_APP + 1;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[128] = {};
    ::GetClassNameW(hwnd, name, 127);
    return name;
}

// Read without sending the window a message: the driver must never wait
// for the thread that sits in the prompt's loop.
std::wstring TitleOf(HWND hwnd)
{
    wchar_t text[128] = {};
    ::InternalGetWindowText(hwnd, text, 127);
    return text;
}

RECT WindowBox(HWND hwnd)
{
    RECT box{};
    ::GetWindowRect(hwnd, &box);
    return box;
}

POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

using TestSupport::PumpFor;

// ---- The skin as laid out and drawn without a window -------------------------

struct SkinLayout {
    SIZE window{0, 0};
    std::map<std::wstring, RECT> controls;  // client coordinates
};

SkinLayout LayoutOf(const std::wstring& skin)
{
    SkinLayout layout;
    TestSupport::ToolkitSkinTree tree;
    if (!tree.Build(skin)) return layout;
    layout.window = tree.Manager().GetInitSize();
    for (const wchar_t* name : {L"okBtn", L"cancelBtn", L"closebtn", L"textLbl", L"captionLbl"}) {
        if (tree.Find(name)) layout.controls[name] = tree.Rect(name);
    }
    return layout;
}

// What the toolkit draws for the skin with these label texts.
ScreenCapture RenderSkin(const std::wstring& skin, const std::wstring* text, const std::wstring* caption)
{
    ScreenCapture picture;
    TestSupport::ToolkitSkinTree tree;
    if (!tree.Build(skin)) return picture;
    if (text) tree.Find(L"textLbl")->SetText(*text);
    if (caption) tree.Find(L"captionLbl")->SetText(*caption);
    SIZE size = tree.Manager().GetInitSize();
    tree.Layout(size.cx, size.cy);
    return TestSupport::DrawTree(tree.Manager(), size, RECT{0, 0, size.cx, size.cy});
}

// Pixels inside box (window coordinates) that differ between the two pictures.
int DifferingPixels(const ScreenCapture& a, const ScreenCapture& b, const RECT& box)
{
    int differ = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) differ += a.At(x, y) != b.At(x, y) ? 1 : 0;
    }
    return differ;
}

// Bands of rows inside box that hold something besides the background: text lines.
int InkBands(const ScreenCapture& picture, const RECT& box, uint32_t background)
{
    int bands = 0;
    bool inBand = false;
    for (int y = box.top; y < box.bottom; ++y) {
        bool ink = false;
        for (int x = box.left; x < box.right && !ink; ++x) ink = picture.At(x, y) != background;
        if (ink && !inBand) ++bands;
        inBand = ink;
    }
    return bands;
}

// ---- The owner window -------------------------------------------------------

// A plain window that counts the input it receives and, asked to, opens a
// second prompt from inside the first one's modal loop.
class PromptOwner {
public:
    PromptOwner()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &PromptOwner::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PromptTestOwner";
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        ::RegisterClassW(&wc);
        int x = (::GetSystemMetrics(SM_CXSCREEN) - 640) / 2;
        int y = (::GetSystemMetrics(SM_CYSCREEN) - 480) / 2;
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"owner", WS_POPUP | WS_VISIBLE, x, y, 640, 480, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        clicks = keys = 0;
        log.clear();
        ::SetForegroundWindow(hwnd);
        ::SetFocus(hwnd);
        ::UpdateWindow(hwnd);
    }
    ~PromptOwner() { ::DestroyWindow(hwnd); }

    // A point of the owner that no prompt or shadow covers.
    POINT FreePoint() const { return POINT{WindowBox(hwnd).left + 30, WindowBox(hwnd).top + 30}; }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        switch (msg) {
        case WM_LBUTTONDOWN: ++clicks; break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_CHAR: ++keys; break;
        case kOpenNestedPrompt: {
            int answer = ShowPrompt(hwnd, PromptSkinSpec(nestedSkin));
            log.push_back("inner=" + std::to_string(answer));
            return 0;
        }
        default: break;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    static int clicks;
    static int keys;
    static std::wstring nestedSkin;
    static std::vector<std::string> log;
    HWND hwnd = nullptr;
};
int PromptOwner::clicks = 0;
int PromptOwner::keys = 0;
std::wstring PromptOwner::nestedSkin;
std::vector<std::string> PromptOwner::log;

// ---- The person at the keyboard ---------------------------------------------

struct PromptWindowSearch {
    std::wstring windowClass;
    HWND found;
};

BOOL CALLBACK FindPromptWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<PromptWindowSearch*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(hwnd) || TitleOf(hwnd) != kPromptTitle) return TRUE;
    if (!search->windowClass.empty() && ClassOf(hwnd) != search->windowClass) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A visible prompt of this process, of the class when one is given.
HWND FindPrompt(const std::wstring& windowClass = L"")
{
    PromptWindowSearch search{windowClass, nullptr};
    ::EnumWindows(&FindPromptWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs a script on its own thread while the test thread shows prompts; any
// failure is recorded and closes every prompt, so the test thread gets back.
class PromptDriver {
public:
    using Script = std::function<void(PromptDriver&)>;

    explicit PromptDriver(Script script)
    {
        thread_ = std::thread([this, script] {
            script(*this);
            if (!WaitUntil([] { return FindPrompt() == nullptr; })) Fail("a prompt is still open after the script");
        });
    }
    ~PromptDriver() { Finish(); }

    void Finish()
    {
        if (thread_.joinable()) thread_.join();
    }
    std::vector<std::string> Failures()
    {
        Finish();
        return failures_;
    }

    bool WaitUntil(const std::function<bool()>& done, int milliseconds = 30000)
    {
        for (int waited = 0; waited < milliseconds; waited += 50) {
            if (done()) return true;
            ::Sleep(50);
        }
        return done();
    }

    // The prompt of that class, shown and painted.
    HWND WaitForPrompt(const std::wstring& windowClass)
    {
        HWND prompt = nullptr;
        if (!WaitUntil([&] { return (prompt = FindPrompt(windowClass)) != nullptr; })) {
            Fail("no prompt of class " + Narrow(windowClass));
            return nullptr;
        }
        ScreenCapture shot;
        if (!WaitUntil([&] {
                shot = TestSupport::CaptureScreen(WindowBox(prompt));
                return shot.DistinctColours() > 8;
            })) {
            Fail("the prompt was never painted");
        }
        ::Sleep(200);
        return prompt;
    }

    // The centre of a control of the prompt, on the screen.
    POINT ControlPoint(HWND prompt, const SkinLayout& layout, const std::wstring& name)
    {
        auto it = layout.controls.find(name);
        if (it == layout.controls.end()) {
            Fail("the skin has no " + Narrow(name));
            return POINT{0, 0};
        }
        RECT box = WindowBox(prompt);
        POINT centre = Centre(it->second);
        return POINT{box.left + centre.x, box.top + centre.y};
    }

    void ClickControl(HWND prompt, const SkinLayout& layout, const std::wstring& name)
    {
        TestSupport::ClickAt(ControlPoint(prompt, layout, name));
    }

    void Check(bool condition, const std::string& what)
    {
        if (!condition) Record(what);
    }

    void Fail(const std::string& what)
    {
        Record(what);
        for (HWND prompt = FindPrompt(); prompt; prompt = FindPrompt()) {
            ::PostMessageW(prompt, WM_CLOSE, 99, 0);
            if (!WaitUntil([prompt] { return !::IsWindowVisible(prompt); }, 5000)) break;
        }
    }

private:
    void Record(const std::string& what)
    {
        std::lock_guard<std::mutex> lock(lock_);
        failures_.push_back(what);
    }

    std::mutex lock_;
    std::vector<std::string> failures_;
    std::thread thread_;
};

void ReportFailures(PromptDriver& driver)
{
    for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
}

class PromptTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { DuiLib::CWndShadow::Initialize(::GetModuleHandleW(nullptr)); }
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive());
        ASSERT_NE(nullptr, owner_.hwnd);
    }
    // Input a failed case left queued (its prompt gone early) must not reach the next case's prompt.
    void TearDown() override { PumpFor(300); }

    // Owner and prompt as the user sees them, saved for a person to look at.
    static void SaveScreenshot(HWND prompt, const std::wstring& name)
    {
        RECT around = WindowBox(prompt);
        ::InflateRect(&around, 12, 12);
        TestSupport::CaptureScreen(around).SavePng(TestSupport::OutputDir() + L"\\" + name + L".png");
    }

    PromptOwner owner_;
};

// ---- Answers ----------------------------------------------------------------

struct AnswerCase {
    const wchar_t* skin;         // as the program asks for it
    const wchar_t* windowClass;  // the skin file name without its extension
    const wchar_t* control;      // clicked; null: alt+F4
    int answer;
    bool screenshot;
};

class PromptAnswers : public PromptTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(PromptAnswers, AnswerFollowsTheButtonClicked)
{
    const AnswerCase& c = GetParam();
    SkinLayout layout = LayoutOf(c.skin);
    ASSERT_GT(layout.window.cx, 0) << "skin not in the archive";
    HWND owner = owner_.hwnd;
    RECT promptBox{};
    bool ownerDisabled = false;

    PromptDriver driver([&](PromptDriver& d) {
        HWND prompt = d.WaitForPrompt(c.windowClass);
        if (!prompt) return;
        promptBox = WindowBox(prompt);
        ownerDisabled = !::IsWindowEnabled(owner);
        if (c.screenshot) SaveScreenshot(prompt, std::wstring(L"prompt-") + c.windowClass);
        if (c.control) {
            d.ClickControl(prompt, layout, c.control);
        } else {
            TestSupport::PressChord({VK_MENU, VK_F4});
        }
    });
    const wchar_t* text = c.screenshot && layout.controls.count(L"textLbl") ? L"安装程序检测到Lumora\r\n正在运行，请退出程序后再安装" : nullptr;
    int answer = text ? ShowPrompt(owner, PromptSkinSpec(c.skin), std::wstring(text), std::wstring(L"温馨提示"))
                      : ShowPrompt(owner, PromptSkinSpec(c.skin));
    ReportFailures(driver);

    EXPECT_EQ(c.answer, answer);
    EXPECT_EQ(layout.window.cx, promptBox.right - promptBox.left) << "the skin's size";
    EXPECT_EQ(layout.window.cy, promptBox.bottom - promptBox.top);
    POINT ownerCentre = Centre(WindowBox(owner));
    POINT promptCentre = Centre(promptBox);
    EXPECT_LE(std::abs(ownerCentre.x - promptCentre.x), 1) << "centred over the owner";
    EXPECT_LE(std::abs(ownerCentre.y - promptCentre.y), 1);
    EXPECT_TRUE(ownerDisabled) << "the owner takes no input while the prompt is up";
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(owner, ::GetFocus()) << "the owner has the keyboard back";
    EXPECT_EQ(0, PromptOwner::clicks);
}

INSTANTIATE_TEST_SUITE_P(
    Skins, PromptAnswers,
    ::testing::Values(AnswerCase{L"ExitTipWnd.xml", L"ExitTipWnd", L"okBtn", 0, true},
                      AnswerCase{L"ExitTipWnd.xml", L"ExitTipWnd", L"cancelBtn", 1, false},
                      AnswerCase{L"ExitTipWnd.xml", L"ExitTipWnd", L"closebtn", 2, false},
                      AnswerCase{L"ExitTipWnd.xml", L"ExitTipWnd", nullptr, 1, false},
                      AnswerCase{L"NetworkTipWnd.xml", L"NetworkTipWnd", L"okBtn", 0, true},
                      AnswerCase{L"NetworkTipWnd.xml", L"NetworkTipWnd", L"cancelBtn", 1, false},
                      AnswerCase{L"NetworkTipWnd.xml", L"NetworkTipWnd", L"closebtn", 2, false},
                      AnswerCase{L"NetworkTipWnd.xml", L"NetworkTipWnd", nullptr, 1, false},
                      AnswerCase{L"InstalledPathTipWnd.xml", L"InstalledPathTipWnd", L"okBtn", 0, true},
                      AnswerCase{L"InstalledPathTipWnd.xml", L"InstalledPathTipWnd", L"cancelBtn", 1, false},
                      AnswerCase{L"InstalledPathTipWnd.xml", L"InstalledPathTipWnd", L"closebtn", 2, false},
                      AnswerCase{L"InstalledPathTipWnd.xml", L"InstalledPathTipWnd", nullptr, 1, false},
                      AnswerCase{L"MessageBox1Wnd.xml", L"MessageBox1Wnd", L"closebtn", 2, true},
                      AnswerCase{L"MessageBox1Wnd.xml", L"MessageBox1Wnd", nullptr, 1, false},
                      AnswerCase{L"MessageBox2Wnd.xml", L"MessageBox2Wnd", L"closebtn", 2, true},
                      AnswerCase{L"MessageBox2Wnd.xml", L"MessageBox2Wnd", nullptr, 1, false}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) {
        std::wstring name = info.param.windowClass;
        name += L"_";
        name += info.param.control ? info.param.control : L"altF4";
        return Narrow(name);
    });

// ---- Texts ------------------------------------------------------------------

struct TextCase {
    const char* name;
    const wchar_t* skin;
    const wchar_t* text;     // null: none given
    const wchar_t* caption;  // null: none given
    int lines;
};

class PromptTexts : public PromptTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(PromptTexts, LabelsShowTheTextsGivenOrTheSkinsOwn)
{
    const TextCase& c = GetParam();
    SkinLayout layout = LayoutOf(c.skin);
    ASSERT_EQ(1u, layout.controls.count(L"textLbl"));
    std::wstring text = c.text ? c.text : L"";
    std::wstring caption = c.caption ? c.caption : L"";
    ScreenCapture expected = RenderSkin(c.skin, c.text ? &text : nullptr, c.caption ? &caption : nullptr);
    ScreenCapture skinOwn = RenderSkin(c.skin, nullptr, nullptr);
    ASSERT_GT(expected.width, 0);
    RECT textBox = layout.controls[L"textLbl"];
    RECT captionBox = layout.controls[L"captionLbl"];
    int textDiffer = -1, captionDiffer = -1, bands = -1;

    PromptDriver driver([&](PromptDriver& d) {
        HWND prompt = d.WaitForPrompt(std::wstring(c.skin).substr(0, std::wstring(c.skin).find(L'.')));
        if (!prompt) return;
        ScreenCapture shot;
        d.WaitUntil(
            [&] {
                shot = TestSupport::CaptureScreen(WindowBox(prompt));
                return DifferingPixels(shot, expected, textBox) == 0 &&
                       DifferingPixels(shot, expected, captionBox) == 0;
            },
            5000);
        textDiffer = DifferingPixels(shot, expected, textBox);
        captionDiffer = DifferingPixels(shot, expected, captionBox);
        bands = InkBands(shot, textBox, 0xFFFFFF);
        d.ClickControl(prompt, layout, L"closebtn");
    });
    int answer = ShowPrompt(owner_.hwnd, PromptSkinSpec(c.skin), c.text ? std::optional<std::wstring>(text) : std::nullopt,
                            c.caption ? std::optional<std::wstring>(caption) : std::nullopt);
    ReportFailures(driver);

    EXPECT_EQ(2, answer);
    EXPECT_EQ(0, textDiffer) << "the text label shows something else";
    EXPECT_EQ(0, captionDiffer) << "the caption label shows something else";
    EXPECT_EQ(c.lines, bands) << "lines of text";
    if (c.text) {
        EXPECT_GT(DifferingPixels(expected, skinOwn, textBox), 0) << "the case shows nothing new";
    }
    if (c.caption) {
        EXPECT_GT(DifferingPixels(expected, skinOwn, captionBox), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Labels, PromptTexts,
    ::testing::Values(TextCase{"TwoLines", L"MessageBox1Wnd.xml", L"安装程序检测到Lumora\r\n正在运行，请退出程序后再安装",
                               L"消息", 2},
                      TextCase{"OneLine", L"MessageBox2Wnd.xml", L"无效路径", L"温馨提示", 1},
                      TextCase{"TextOnly", L"MessageBox1Wnd.xml", L"当前网络环境较差，请在网络通畅时进行安装", nullptr, 1},
                      TextCase{"SkinTexts", L"MessageBox2Wnd.xml", nullptr, nullptr, 1}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// ---- Keys, the owner, nesting ------------------------------------------------

TEST_F(PromptTest, EscAndEnterDoNothing)
{
    SkinLayout layout = LayoutOf(L"MessageBox2Wnd.xml");
    PromptDriver driver([&](PromptDriver& d) {
        HWND prompt = d.WaitForPrompt(L"MessageBox2Wnd");
        if (!prompt) return;
        TestSupport::PressKey(VK_ESCAPE);
        TestSupport::PressKey(VK_RETURN);
        // Input is taken in order: had a key closed the prompt, this click would come too late.
        d.ClickControl(prompt, layout, L"closebtn");
    });
    int answer = ShowPrompt(owner_.hwnd, PromptSkinSpec(L"MessageBox2Wnd.xml"));
    ReportFailures(driver);
    EXPECT_EQ(2, answer) << "Esc or Enter ended the prompt";
}

TEST_F(PromptTest, EnterDoesNotClickAButtonPressedEarlier)
{
    SkinLayout layout = LayoutOf(L"ExitTipWnd.xml");
    PromptDriver driver([&](PromptDriver& d) {
        HWND prompt = d.WaitForPrompt(L"ExitTipWnd");
        if (!prompt) return;
        // A press on "否" dragged off it clicks nothing but may leave it the focus.
        TestSupport::MoveMouseTo(d.ControlPoint(prompt, layout, L"cancelBtn"));
        TestSupport::PressLeftButton();
        TestSupport::MoveMouseTo(POINT{WindowBox(prompt).left + 60, WindowBox(prompt).top + 160});
        TestSupport::ReleaseLeftButton();
        TestSupport::PressKey(VK_RETURN);
        TestSupport::PressKey(VK_ESCAPE);
        d.ClickControl(prompt, layout, L"okBtn");
    });
    int answer = ShowPrompt(owner_.hwnd, PromptSkinSpec(L"ExitTipWnd.xml"));
    ReportFailures(driver);
    EXPECT_EQ(0, answer) << "a key ended the prompt";
}

TEST_F(PromptTest, OwnerIgnoresInputWhileThePromptIsUpAndHasTheFocusAfter)
{
    SkinLayout layout = LayoutOf(L"NetworkTipWnd.xml");
    POINT free = owner_.FreePoint();
    HWND foregroundDuring = nullptr;
    PromptDriver driver([&](PromptDriver& d) {
        HWND prompt = d.WaitForPrompt(L"NetworkTipWnd");
        if (!prompt) return;
        foregroundDuring = ::GetForegroundWindow();
        TestSupport::ClickAt(free);
        TestSupport::PressKey('A');
        d.ClickControl(prompt, layout, L"cancelBtn");
    });
    int answer = ShowPrompt(owner_.hwnd, PromptSkinSpec(L"NetworkTipWnd.xml"));
    ReportFailures(driver);
    EXPECT_EQ(1, answer);
    EXPECT_NE(owner_.hwnd, foregroundDuring);
    EXPECT_EQ(0, PromptOwner::clicks) << "the owner took a click under the prompt";
    EXPECT_EQ(0, PromptOwner::keys) << "the owner took a key under the prompt";
    EXPECT_EQ(owner_.hwnd, ::GetFocus());
    EXPECT_EQ(owner_.hwnd, ::GetForegroundWindow());

    // Afterwards the same click and key reach it.
    std::thread hand([free] {
        TestSupport::ClickAt(free);
        TestSupport::PressKey('A');
    });
    for (int i = 0; i < 200 && (PromptOwner::clicks == 0 || PromptOwner::keys == 0); ++i) PumpFor(25);
    hand.join();
    EXPECT_EQ(1, PromptOwner::clicks);
    EXPECT_GE(PromptOwner::keys, 1);
}

TEST_F(PromptTest, PromptOpenedInsideAnotherReturnsFirstAndLeavesTheOwnerToIt)
{
    SkinLayout outerLayout = LayoutOf(L"ExitTipWnd.xml");
    SkinLayout innerLayout = LayoutOf(L"NetworkTipWnd.xml");
    PromptOwner::nestedSkin = L"NetworkTipWnd.xml";
    HWND owner = owner_.hwnd;
    POINT free = owner_.FreePoint();
    bool ownerHeldAfterInner = false;
    bool outerActiveAfterInner = false;
    PromptDriver driver([&](PromptDriver& d) {
        HWND outer = d.WaitForPrompt(L"ExitTipWnd");
        if (!outer) return;
        // As a status message would, from the owner's queue inside the outer prompt's loop.
        ::PostMessageW(owner, kOpenNestedPrompt, 0, 0);
        HWND inner = d.WaitForPrompt(L"NetworkTipWnd");
        if (!inner) return;
        d.ClickControl(inner, innerLayout, L"okBtn");
        d.Check(d.WaitUntil([inner] { return !::IsWindow(inner); }), "the inner prompt did not close");
        d.Check(::IsWindowVisible(outer) != FALSE, "the outer prompt closed with the inner one");
        ::Sleep(300);
        ownerHeldAfterInner = !::IsWindowEnabled(owner);
        outerActiveAfterInner = ::GetForegroundWindow() == outer;
        TestSupport::ClickAt(free);
        d.ClickControl(outer, outerLayout, L"cancelBtn");
    });
    int answer = ShowPrompt(owner, PromptSkinSpec(L"ExitTipWnd.xml"));
    PromptOwner::log.push_back("outer=" + std::to_string(answer));
    ReportFailures(driver);

    EXPECT_EQ((std::vector<std::string>{"inner=0", "outer=1"}), PromptOwner::log);
    EXPECT_TRUE(ownerHeldAfterInner) << "the owner came back while the outer prompt was still up";
    EXPECT_TRUE(outerActiveAfterInner) << "the outer prompt did not get the keyboard back";
    EXPECT_EQ(0, PromptOwner::clicks);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(owner, ::GetFocus());
}

}  // namespace
