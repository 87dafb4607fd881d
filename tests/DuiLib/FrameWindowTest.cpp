// Skinned frames and their shadows as real windows under the display: the
// shadow beside the frame through moves, maximising and restoring, its
// settings from the skin's Window attributes, the procedure hand-back when
// either side goes first, Esc, and the bitmap skinview writes.

#include "DuiLib/DuiFrame.h"
#include "DuiLib/GdiHandles.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/ShadowBitmap.h"
#include "DuiLib/ShadowRegistry.h"
#include "DuiLib/WndShadow.h"
#include "ScreenCapture.h"
#include "ToolkitSkinTree.h"
#include "support/MessagePump.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using DuiLib::CDuiFrame;
using DuiLib::CWndShadow;
using DuiLib::FrameSkinSpec;
using DuiLib::ShadowRegistry;

constexpr int kSkinArchive = 147;

using TestSupport::PumpFor;
using TestSupport::PumpUntil;

RECT WindowBox(HWND hwnd)
{
    RECT box{};
    ::GetWindowRect(hwnd, &box);
    return box;
}

bool SameBox(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

// The shadow of the shipped skins: 5 up and left, 7 beyond the right and bottom.
RECT SkinShadowBox(const RECT& frame) { return RECT{frame.left - 5, frame.top - 5, frame.right + 7, frame.bottom + 7}; }

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[128] = {};
    ::GetClassNameW(hwnd, name, 127);
    return name;
}

// Shadow windows (visible or not) of this thread owned by the window.
struct ShadowSearch {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectShadow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ShadowSearch*>(param);
    if (ClassOf(hwnd) == CWndShadow::kWindowClass && ::GetWindow(hwnd, GW_OWNER) == search->owner) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> ShadowWindowsOf(HWND owner)
{
    ShadowSearch search{owner, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectShadow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CWndShadow::Initialize(::GetModuleHandleW(nullptr)); }
    void SetUp() override
    {
        ASSERT_TRUE(CWndShadow::IsInitialized());
        ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive());
        registered_ = ShadowRegistry::Count();
    }
    void TearDown() override { EXPECT_EQ(registered_, ShadowRegistry::Count()) << "a parent left in the registry"; }

    static HWND Open(CDuiFrame& frame, DWORD style = WS_VISIBLE | WS_OVERLAPPEDWINDOW)
    {
        HWND hwnd = frame.Create(nullptr, L"frame", style, 0);
        if (hwnd) frame.CenterWindow();
        return hwnd;
    }

    size_t registered_ = 0;
};

// ---- Shadow beside a frame of the main skin ------------------------------

TEST_F(FrameTest, ShadowStaysBesideTheFrameThroughMoveMaximiseAndRestore)
{
    CDuiFrame frame(FrameSkinSpec::InArchiveResource(kSkinArchive, L"MainWnd.xml"));
    HWND hwnd = Open(frame);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(L"MainWnd", ClassOf(hwnd));
    EXPECT_EQ(0, ::GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_MAXIMIZEBOX)) << "caption bits cleared";

    std::vector<HWND> shadows = ShadowWindowsOf(hwnd);
    ASSERT_EQ(1u, shadows.size());
    HWND shadow = shadows[0];
    EXPECT_EQ(shadow, frame.Shadow().GetShadowWindow());
    LONG exStyle = ::GetWindowLongW(shadow, GWL_EXSTYLE);
    EXPECT_EQ(WS_EX_LAYERED | WS_EX_TRANSPARENT, exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
    const DuiLib::ShadowSettings& settings = frame.Shadow().GetSettings();
    EXPECT_EQ(6, settings.size);
    EXPECT_EQ(10u, settings.sharpness);
    EXPECT_EQ(20u, settings.darkness);
    EXPECT_EQ(1, settings.xOffset);
    EXPECT_EQ(1, settings.yOffset);
    EXPECT_EQ(0x26003B76u, settings.color);

    auto besideFrame = [&] {
        return ::IsWindowVisible(shadow) && SameBox(WindowBox(shadow), SkinShadowBox(WindowBox(hwnd)));
    };
    EXPECT_TRUE(PumpUntil(besideFrame)) << "shown " << Describe(WindowBox(shadow)) << " frame "
                                        << Describe(WindowBox(hwnd));
    EXPECT_EQ(612, WindowBox(shadow).right - WindowBox(shadow).left);

    ::SetWindowPos(hwnd, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_TRUE(PumpUntil(besideFrame)) << "after a move: " << Describe(WindowBox(shadow));
    EXPECT_EQ(35, WindowBox(shadow).left);
    EXPECT_EQ(45, WindowBox(shadow).top);

    ::ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(PumpUntil([&] { return ::IsZoomed(hwnd) && !::IsWindowVisible(shadow); }))
        << "hidden while maximised";
    EXPECT_EQ(0, frame.Shadow().GetStatus() & DuiLib::ShadowVisible);

    ::ShowWindow(hwnd, SW_RESTORE);
    EXPECT_TRUE(PumpUntil([&] { return !::IsZoomed(hwnd) && besideFrame(); })) << "back after restoring";
    EXPECT_EQ(600, WindowBox(hwnd).right - WindowBox(hwnd).left);

    ::DestroyWindow(hwnd);
    EXPECT_FALSE(::IsWindow(shadow)) << "the shadow goes with its frame";
    EXPECT_EQ(nullptr, frame.Shadow().GetShadowWindow());
}

TEST_F(FrameTest, ScreenShowsTheShadowOutsideTheFrameOnly)
{
    // A white backdrop under the frame shows where the shadow darkens it.
    WNDCLASSW wc{};
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FrameTestBackdrop";
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::RegisterClassW(&wc);
    HWND backdrop = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr,
                                      nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, backdrop);
    CDuiFrame frame(FrameSkinSpec::InArchiveResource(kSkinArchive, L"exitTipWnd.xml"));
    HWND hwnd = Open(frame);
    ASSERT_NE(nullptr, hwnd);
    HWND shadow = frame.Shadow().GetShadowWindow();
    RECT box = WindowBox(hwnd);
    RECT around = SkinShadowBox(box);
    ::InflateRect(&around, 4, 4);
    // Right of the frame, halfway down: the darkest part of the shadow.
    POINT probe{box.right - around.left + 1, (box.top + box.bottom) / 2 - around.top};
    TestSupport::ScreenCapture capture;
    bool darkened = PumpUntil([&] {
        ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        capture = TestSupport::CaptureScreen(around);
        return ::IsWindowVisible(shadow) && capture.At(probe.x, probe.y) != 0xFFFFFF &&
               capture.At(box.left - around.left + 100, box.top - around.top + 100) == 0xFFFFFF;
    });
    EXPECT_TRUE(capture.SavePng(TestSupport::OutputDir() + L"\\frame-shadow-exitTipWnd.png"));
    EXPECT_TRUE(darkened) << "beside the frame " << TestSupport::HexColour(capture.At(probe.x, probe.y));
    EXPECT_EQ(0xFFFFFFu, capture.At(1, 1)) << "beyond the shadow";
    EXPECT_EQ(0xFFFFFFu, capture.At(box.left - around.left + 10, box.top - around.top + 60))
        << "inside the frame the white skin shows unchanged";
    ::DestroyWindow(hwnd);
    ::DestroyWindow(backdrop);
}

TEST_F(FrameTest, FrameObjectGoingFirstTakesWindowAndShadowAlong)
{
    auto frame = std::make_unique<CDuiFrame>(FrameSkinSpec::InArchiveResource(kSkinArchive, L"NetworkTipWnd.xml"));
    HWND hwnd = Open(*frame);
    ASSERT_NE(nullptr, hwnd);
    HWND shadow = frame->Shadow().GetShadowWindow();
    ASSERT_TRUE(::IsWindow(shadow));
    PumpFor(100);
    frame.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(::IsWindow(shadow));
    PumpFor(100);
}

TEST_F(FrameTest, EscDoesNotCloseAFrame)
{
    CDuiFrame frame(FrameSkinSpec::InArchiveResource(kSkinArchive, L"exitTipWnd.xml"));
    HWND hwnd = Open(frame);
    ASSERT_NE(nullptr, hwnd);
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(hwnd, WM_KEYUP, VK_ESCAPE, 0);
    PumpFor(300);
    EXPECT_TRUE(::IsWindow(hwnd)) << "Esc closed the frame";

    // The same key closes a bare toolkit window, so it did arrive.
    class BareWindow : public DuiLib::WindowImplBase {
    public:
        std::wstring WindowClassName() const override { return L"FrameTestBare"; }
        std::wstring SkinFolder() const override { return L""; }
        std::wstring SkinFile() const override { return L"exitTipWnd.xml"; }
        int ResourceKind() const override { return DuiLib::ResourceArchiveModule; }
        LPCWSTR ResourceId() const override { return MAKEINTRESOURCEW(kSkinArchive); }
    } bare;
    HWND bareWindow = bare.Create(nullptr, L"bare", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, bareWindow);
    ::PostMessageW(bareWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(bareWindow); }));
    ::DestroyWindow(hwnd);
}

TEST_F(FrameTest, InitializeIsOncePerProcess)
{
    EXPECT_FALSE(CWndShadow::Initialize(::GetModuleHandleW(nullptr)));
    EXPECT_TRUE(CWndShadow::IsInitialized());
}

// ---- A shadow on a plain window: who goes first ------------------------------

class PlainWindow {
public:
    PlainWindow(int width = 200, int height = 120, bool withRegion = true)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &PlainWindow::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameTestPlain";
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, L"FrameTestPlain", L"plain", WS_POPUP | WS_VISIBLE, 100, 100, width, height,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        if (withRegion) ::SetWindowRgn(hwnd, ::CreateRectRgn(0, 0, width, height), FALSE);
    }
    ~PlainWindow()
    {
        if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    WNDPROC Procedure() const { return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_APP) ++reached;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static int reached;
    HWND hwnd = nullptr;
};
int PlainWindow::reached = 0;

// A second subclasser that comes after the shadow.
WNDPROC g_beforeLater = nullptr;
int g_laterReached = 0;
LRESULT CALLBACK LaterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP) ++g_laterReached;
    return ::CallWindowProcW(g_beforeLater, hwnd, msg, wParam, lParam);
}

TEST_F(FrameTest, ShadowGoingFirstGivesThePlainWindowItsProcedureBack)
{
    PlainWindow plain;
    auto shadow = std::make_unique<CWndShadow>();
    shadow->Create(plain.hwnd);
    HWND shadowWindow = shadow->GetShadowWindow();
    ASSERT_TRUE(::IsWindow(shadowWindow));
    EXPECT_NE(&PlainWindow::Proc, plain.Procedure()) << "subclassed";
    EXPECT_EQ(registered_ + 1, ShadowRegistry::Count());
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(shadowWindow); }));

    shadow.reset();
    EXPECT_EQ(&PlainWindow::Proc, plain.Procedure());
    EXPECT_EQ(registered_, ShadowRegistry::Count());
    EXPECT_FALSE(::IsWindow(shadowWindow));
    PlainWindow::reached = 0;
    ::SendMessageW(plain.hwnd, WM_APP, 0, 0);
    ::SetWindowPos(plain.hwnd, nullptr, 130, 140, 300, 200, SWP_NOZORDER);
    EXPECT_EQ(1, PlainWindow::reached);
}

TEST_F(FrameTest, ShadowGoingFirstKeepsALaterSubclasserWorking)
{
    PlainWindow plain;
    auto shadow = std::make_unique<CWndShadow>();
    shadow->Create(plain.hwnd);
    g_beforeLater = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(plain.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
    shadow.reset();
    EXPECT_EQ(&LaterProc, plain.Procedure()) << "the later procedure is left alone";
    PlainWindow::reached = 0;
    g_laterReached = 0;
    ::SendMessageW(plain.hwnd, WM_APP, 0, 0);
    ::SetWindowPos(plain.hwnd, nullptr, 130, 140, 300, 200, SWP_NOZORDER);
    ::ShowWindow(plain.hwnd, SW_HIDE);
    EXPECT_EQ(1, g_laterReached);
    EXPECT_EQ(1, PlainWindow::reached) << "messages still reach the original procedure";

    // A new shadow takes over the pass-through the old one left.
    CWndShadow next;
    next.Create(plain.hwnd);
    ::ShowWindow(plain.hwnd, SW_SHOW);
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(next.GetShadowWindow()); }));
    ::DestroyWindow(plain.hwnd);
    EXPECT_EQ(nullptr, next.GetShadowWindow());
    EXPECT_EQ(registered_, ShadowRegistry::Count()) << "the entry leaves with the window";
}

TEST_F(FrameTest, WindowGoingFirstLeavesTheShadowDetached)
{
    CWndShadow shadow;
    HWND shadowWindow = nullptr;
    {
        PlainWindow plain;
        shadow.Create(plain.hwnd);
        shadowWindow = shadow.GetShadowWindow();
        ASSERT_TRUE(::IsWindow(shadowWindow));
    }
    EXPECT_FALSE(::IsWindow(shadowWindow));
    EXPECT_EQ(nullptr, shadow.GetShadowWindow());
    EXPECT_EQ(nullptr, shadow.GetParentWindow());
    EXPECT_EQ(registered_, ShadowRegistry::Count());
    EXPECT_TRUE(shadow.SetSize(3)) << "settings still work on a detached shadow";
}

TEST_F(FrameTest, ParentWithoutRegionHasAnInvisibleShadow)
{
    PlainWindow plain(200, 120, false);
    CWndShadow shadow;
    shadow.Create(plain.hwnd);
    shadow.SetSize(6);
    DuiLib::ShadowPicture picture = shadow.Compose(plain.hwnd);
    ASSERT_TRUE(picture.image);
    ASSERT_EQ(212, picture.size.cx);
    size_t shown = 0;
    for (int i = 0; i < picture.size.cx * picture.size.cy; ++i) shown += picture.image->bits[i] != 0 ? 1 : 0;
    EXPECT_EQ(0u, shown);

    ::SetWindowRgn(plain.hwnd, ::CreateRectRgn(0, 0, 200, 120), FALSE);
    picture = shadow.Compose(plain.hwnd);
    ASSERT_TRUE(picture.image);
    EXPECT_NE(0u, picture.image->bits[static_cast<size_t>(picture.size.cx) * 60 + 210]) << "with a region it shows";
}

TEST_F(FrameTest, NegativeSizeBeyondHalfTheParentShrinksTheShadowToNothing)
{
    PlainWindow plain(30, 100);
    CWndShadow shadow;
    shadow.Create(plain.hwnd);
    HWND shadowWindow = shadow.GetShadowWindow();
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(shadowWindow); }));
    ASSERT_TRUE(shadow.SetSize(-16));
    RECT box = WindowBox(shadowWindow);
    EXPECT_EQ(0, box.right - box.left);
    EXPECT_EQ(0, box.bottom - box.top);
    EXPECT_FALSE(shadow.Compose(plain.hwnd).image);
    ASSERT_TRUE(shadow.SetSize(4));
    box = WindowBox(shadowWindow);
    EXPECT_EQ(38, box.right - box.left) << "a later size shows it again";
    EXPECT_EQ(108, box.bottom - box.top);
}

TEST_F(FrameTest, ShadowUpdatesAndFramesLeaveNoGdiOrUserObjectsBehind)
{
    HANDLE process = ::GetCurrentProcess();
    auto cycle = [] {
        CDuiFrame frame(FrameSkinSpec::InArchiveResource(kSkinArchive, L"exitTipWnd.xml"));
        HWND hwnd = Open(frame);
        for (int i = 0; i < 10; ++i) frame.Shadow().Update(hwnd);
        PumpFor(50);
        ::DestroyWindow(hwnd);
        PumpFor(20);
    };
    cycle();  // first use loads fonts, images and classes for good
    DWORD gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    DWORD user = ::GetGuiResources(process, GR_USEROBJECTS);
    for (int i = 0; i < 3; ++i) cycle();
    EXPECT_EQ(gdi, ::GetGuiResources(process, GR_GDIOBJECTS));
    EXPECT_EQ(user, ::GetGuiResources(process, GR_USEROBJECTS));
}

// ---- Shadow settings from the skin's Window element ----------------------------

// Skins written to a folder and read from disk, so each case can carry its
// own Window attributes.
class FrameSkinAttributes : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        DuiLib::ResetResourceState();
        DuiLib::SetResourcePath(folder_.Path());
    }
    void TearDown() override
    {
        DuiLib::ResetResourceState();
        DuiLib::SetArchiveFormat7z(true);
        DuiLib::LoadArchiveResource(::GetModuleHandleW(nullptr), kSkinArchive);
        FrameTest::TearDown();
    }

    FrameSkinSpec WriteSkin(const std::wstring& attributes)
    {
        std::wstring name = L"skin" + std::to_wstring(++count_) + L".xml";
        std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Window size=\"200,120\" roundcorner=\"2,2\" " +
                           attributes + L">\n  <VerticalLayout bkcolor=\"#FFFFFFFF\" />\n</Window>\n";
        std::string utf8(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, xml.c_str(), -1, nullptr, 0, nullptr,
                                                                    nullptr)),
                         '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, xml.c_str(), -1, &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr);
        utf8.pop_back();
        TestSupport::WriteBytes(folder_ / name, utf8);
        return FrameSkinSpec{DuiLib::ResourceFile, 0, L"", name, L"FrameAttributes"};
    }

    // A solid opaque picture in the skin folder.
    void WriteImage(const std::wstring& name, int width, int height, uint32_t rgb)
    {
        TestSupport::ScreenCapture picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<size_t>(width) * height, rgb);
        ASSERT_TRUE(picture.SavePng(folder_ / name));
    }

    TestSupport::TestTempDir folder_;
    int count_ = 0;
};

struct AttributeCase {
    const char* name;
    const wchar_t* attributes;
    bool shadow;
    int size;
    unsigned sharpness;
    unsigned darkness;
    int x;
    int y;
    uint32_t color;
};

TEST_F(FrameSkinAttributes, ShadowFollowsTheWindowAttributes)
{
    const AttributeCase cases[] = {
        {"absent", L"", false, 0, 5, 150, 5, 5, 0},
        {"false", L"showshadow=\"false\" shadowsize=\"6\"", false, 0, 5, 150, 5, 5, 0},
        {"TRUE, defaults", L"showshadow=\"TRUE\"", true, 0, 5, 150, 5, 5, 0},
        {"shipped values",
         L"showshadow=\"true\" shadowsize=\"6\" shadowsharpness=\"10\" shadowdarkness=\"20\" shadowposition=\"1,1\" "
         L"shadowcolor=\"#26003B76\"",
         true, 6, 10, 20, 1, 1, 0x26003B76},
        {"above range",
         L"showshadow=\"true\" shadowsize=\"21\" shadowsharpness=\"21\" shadowdarkness=\"256\" shadowposition=\"21,1\"",
         true, 0, 5, 150, 5, 5, 0},
        {"below range", L"showshadow=\"true\" shadowsize=\"-21\" shadowsharpness=\"-1\" shadowposition=\"1,-21\"",
         true, 0, 5, 150, 5, 5, 0},
        {"range ends",
         L"showshadow=\"true\" shadowsize=\"-20\" shadowsharpness=\"20\" shadowdarkness=\"255\" "
         L"shadowposition=\"-20,20\"",
         true, -20, 20, 255, -20, 20, 0},
        {"colour without #", L"showshadow=\"true\" shadowcolor=\"FFEDF0F4\"", true, 0, 5, 150, 5, 5, 0xFFEDF0F4},
        {"not numbers", L"showshadow=\"true\" shadowsize=\"big\" shadowdarkness=\"dark\"", true, 0, 5, 0, 5, 5, 0},
    };
    for (const AttributeCase& c : cases) {
        SCOPED_TRACE(c.name);
        CDuiFrame frame(WriteSkin(c.attributes));
        HWND hwnd = frame.Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0);
        ASSERT_NE(nullptr, hwnd);
        EXPECT_EQ(0, ::GetWindowLongW(hwnd, GWL_STYLE) & (WS_CAPTION | WS_MAXIMIZEBOX)) << "caption bits cleared";
        EXPECT_EQ(c.shadow ? 1u : 0u, ShadowWindowsOf(hwnd).size());
        EXPECT_EQ(c.shadow, frame.Shadow().GetShadowWindow() != nullptr);
        const DuiLib::ShadowSettings& s = frame.Shadow().GetSettings();
        EXPECT_EQ(c.size, s.size);
        EXPECT_EQ(c.sharpness, s.sharpness);
        EXPECT_EQ(c.darkness, s.darkness);
        EXPECT_EQ(c.x, s.xOffset);
        EXPECT_EQ(c.y, s.yOffset);
        EXPECT_EQ(c.color, s.color);
        ::DestroyWindow(hwnd);
    }
}

TEST_F(FrameSkinAttributes, ShadowImageIsANineGridAroundTheFrameWithoutItsCentre)
{
    WriteImage(L"shade.png", 40, 40, 0x336699);
    CDuiFrame frame(WriteSkin(L"showshadow=\"true\" shadowimage=\"shade.png\" shadowcorner=\"8,6,10,12\" "
                              L"shadowholeoffset=\"2,2,2,2\""));
    HWND hwnd = Open(frame);
    ASSERT_NE(nullptr, hwnd);
    ASSERT_TRUE(frame.Shadow().IsImageMode());
    HWND shadow = frame.Shadow().GetShadowWindow();
    RECT box = WindowBox(hwnd);
    RECT expected{box.left - 8, box.top - 6, box.right + 10, box.bottom + 12};
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(shadow) && SameBox(WindowBox(shadow), expected); }))
        << Describe(WindowBox(shadow));

    DuiLib::ShadowPicture picture = frame.Shadow().Compose(hwnd);
    ASSERT_TRUE(picture.image);
    ASSERT_EQ(218, picture.size.cx);
    ASSERT_EQ(138, picture.size.cy);
    auto at = [&](int x, int y) { return picture.image->PixelAt(x, y); };
    // Borders are corner + hole offset: 10 left, 8 top, 12 right, 14 bottom.
    EXPECT_EQ(0xFF336699u, at(0, 0));
    EXPECT_EQ(0xFF336699u, at(9, 60)) << "left border";
    EXPECT_EQ(0u, at(10, 60)) << "centre not drawn";
    EXPECT_EQ(0xFF336699u, at(100, 7)) << "top border";
    EXPECT_EQ(0u, at(100, 8));
    EXPECT_EQ(0u, at(205, 123));
    EXPECT_EQ(0xFF336699u, at(206, 124)) << "right and bottom borders";
    ::DestroyWindow(hwnd);
}

TEST_F(FrameSkinAttributes, ShadowImageWithoutCornerKeepsTheComputedShadow)
{
    WriteImage(L"shade.png", 40, 40, 0x336699);
    CDuiFrame withoutCorner(WriteSkin(L"showshadow=\"true\" shadowimage=\"shade.png\" shadowsize=\"4\""));
    HWND hwnd = withoutCorner.Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_FALSE(withoutCorner.Shadow().IsImageMode());
    EXPECT_EQ(208, withoutCorner.Shadow().Compose(hwnd).size.cx);
    ::DestroyWindow(hwnd);

    // Without a hole offset the grid's borders are the corner alone.
    CDuiFrame withoutOffset(WriteSkin(L"showshadow=\"true\" shadowimage=\"shade.png\" shadowcorner=\"8,6,10,12\""));
    hwnd = withoutOffset.Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    ASSERT_TRUE(withoutOffset.Shadow().IsImageMode());
    DuiLib::ShadowPicture picture = withoutOffset.Shadow().Compose(hwnd);
    ASSERT_TRUE(picture.image);
    EXPECT_EQ(0xFF336699u, picture.image->PixelAt(7, 60));
    EXPECT_EQ(0u, picture.image->PixelAt(8, 60));
    ::DestroyWindow(hwnd);

    // An image that cannot be found leaves the computed shadow.
    CDuiFrame missing(WriteSkin(L"showshadow=\"true\" shadowimage=\"none.png\" shadowcorner=\"8,6,10,12\""));
    hwnd = missing.Create(nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_FALSE(missing.Shadow().IsImageMode());
    ::DestroyWindow(hwnd);
}

// ---- skinview -shadow ---------------------------------------------------------

struct ShadowFileCase {
    const wchar_t* skin;
    SIZE window;
    SIZE round;
    unsigned darkness;
    uint32_t color;
};

class SkinViewShadowFile : public ::testing::TestWithParam<ShadowFileCase> {};

uint32_t ReadLe32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

TEST_P(SkinViewShadowFile, HoldsTheBitmapTheShadowPresents)
{
    const ShadowFileCase& c = GetParam();
    TestSupport::TestTempDir folder;
    std::wstring file = folder / L"shadow.bmp";
    TestSupport::ProcessResult run = TestSupport::RunProcess(L"\"" + TestSupport::BinDir() + L"\\skinview.exe\" " +
                                                             c.skin + L" \"-shadow=" + file + L"\"");
    ASSERT_TRUE(run.started);
    ASSERT_EQ(0u, run.exitCode) << run.output;
    int width = c.window.cx + 12, height = c.window.cy + 12;
    EXPECT_NE(std::string::npos, run.output.find("width=" + std::to_string(width) + " height=" +
                                                 std::to_string(height) + " x=-5 y=-5"))
        << run.output;

    std::string bytes = TestSupport::ReadBytes(file);
    ASSERT_EQ(14u + 40u + 4u * width * height, bytes.size());
    EXPECT_EQ("BM", bytes.substr(0, 2));
    EXPECT_EQ(static_cast<uint32_t>(width), ReadLe32(bytes, 18));
    EXPECT_EQ(static_cast<uint32_t>(-height), ReadLe32(bytes, 22)) << "top-down";
    EXPECT_EQ(32u, ReadLe32(bytes, 28) & 0xFFFF) << "bits per pixel";

    // The same picture from the pure computation over the window's region
    // (a rounded rectangle one pixel larger than the window).
    DuiLib::UniqueRegion region(
        ::CreateRoundRectRgn(0, 0, c.window.cx + 1, c.window.cy + 1, c.round.cx, c.round.cy));
    DuiLib::ShadowSettings settings;
    settings.size = 6;
    settings.sharpness = 10;
    settings.darkness = c.darkness;
    settings.xOffset = 1;
    settings.yOffset = 1;
    settings.color = c.color;
    DuiLib::ShadowBitmap expected = DuiLib::ComputeShadowBitmap(
        DuiLib::RegionSpans(region.Get(), c.window.cx, c.window.cy), c.window, settings);
    ASSERT_EQ(width, expected.width);
    int differ = 0;
    for (int i = 0; i < width * height; ++i) differ += ReadLe32(bytes, 54 + 4u * i) != expected.pixels[i] ? 1 : 0;
    EXPECT_EQ(0, differ) << "pixels unlike the computed shadow";
    EXPECT_EQ(expected.At(width - 3, height / 2), ReadLe32(bytes, 54 + 4u * ((height / 2) * width + width - 3)));
    EXPECT_NE(0u, expected.At(width - 3, height / 2));

    std::wstring name = c.skin;
    TestSupport::WriteBytes(TestSupport::OutputDir() + L"\\skinview-shadow-" + name.substr(0, name.find(L'.')) +
                                L".bmp",
                            bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Skins, SkinViewShadowFile,
    ::testing::Values(ShadowFileCase{L"MainWnd.xml", {600, 400}, {1, 0}, 20, 0x26003B76},
                      ShadowFileCase{L"ExitTipWnd.xml", {360, 180}, {2, 2}, 20, 0x26003B76},
                      ShadowFileCase{L"InstalledPathTipWnd.xml", {400, 180}, {1, 0}, 10, 0xFFEDF0F4}),
    [](const ::testing::TestParamInfo<ShadowFileCase>& info) {
        std::wstring name = info.param.skin;
        name = name.substr(0, name.find(L'.'));
        return std::string(name.begin(), name.end());
    });

}  // namespace
