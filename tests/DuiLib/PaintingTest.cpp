// The shipped skins painted into a memory bitmap, without a window: colours,
// borders, state images, the progress fill, and the image loader.

#include "DuiLib/ImageData.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/OptionUI.h"
#include "DuiLib/ProgressUI.h"
#include "DuiLib/TabLayoutUI.h"
#include "ToolkitSkinTree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using TestSupport::ToolkitSkinTree;

std::string Hex(uint32_t rgb)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

// The tree painted at its laid-out size.
class PaintedSkin {
public:
    bool Paint(ToolkitSkinTree& tree, int width, int height)
    {
        canvas_ = DuiLib::CreateImageData(width, height);
        if (!canvas_) return false;
        DuiLib::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        DuiLib::ScopedSelect select(dc.Get(), canvas_->bitmap.Get());
        RECT all{0, 0, width, height};
        ::FillRect(dc.Get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        tree.Manager().Paint(dc.Get(), all);
        ::GdiFlush();
        return true;
    }
    std::string At(int x, int y) const { return Hex(canvas_->PixelAt(x, y)); }

private:
    DuiLib::ImagePtr canvas_;
};

// The straight colour of an archive image's pixel.
std::string ImagePixel(const wchar_t* name, int x, int y)
{
    DuiLib::ImagePtr image = DuiLib::LoadImageByName(name, L"", false, 0);
    return image ? Hex(image->PixelAt(x, y)) : "missing";
}

TEST(Painting, PromptColoursAndBorders)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    PaintedSkin painted;
    ASSERT_TRUE(painted.Paint(tree, 360, 180));
    EXPECT_EQ("FFFFFF", painted.At(5, 170)) << "white root";
    EXPECT_EQ("F3F5F9", painted.At(250, 5)) << "title bar";
    RECT cancel = tree.Rect(L"cancelBtn");
    EXPECT_EQ("1675FE", painted.At(cancel.left + 4, cancel.top + 4)) << "filled button";
    RECT ok = tree.Rect(L"okBtn");
    EXPECT_EQ("1890FF", painted.At(ok.left, ok.top + 16)) << "outlined button's border";
    EXPECT_EQ("FFFFFF", painted.At(ok.left + 4, ok.top + 4)) << "outlined button's inside";
}

TEST(Painting, HoveredOutlinedButtonKeepsItsBorder)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"exitTipWnd.xml"));
    RECT ok = tree.Rect(L"okBtn");
    RECT cancel = tree.Rect(L"cancelBtn");
    LRESULT result = 0;
    tree.Manager().MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(ok.left + 10, ok.top + 10), result);
    PaintedSkin painted;
    ASSERT_TRUE(painted.Paint(tree, 360, 180));
    EXPECT_EQ("1890FF", painted.At(ok.left, ok.top + 16));
    tree.Manager().MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(cancel.left + 10, cancel.top + 10), result);
    ASSERT_TRUE(painted.Paint(tree, 360, 180));
    EXPECT_EQ("5A9DFD", painted.At(cancel.left + 4, cancel.top + 4)) << "filled button's hover colour";
}

TEST(Painting, StartPageImages)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    PaintedSkin painted;
    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    RECT button = tree.Rect(L"defaultInstallBtn");
    EXPECT_EQ(ImagePixel(L"res\\mainWnd\\installBtn1.png", 20, 23), painted.At(button.left + 20, button.top + 23));
    EXPECT_EQ(ImagePixel(L"res/mainWnd/bg1.png", 300, 300), painted.At(300, 300)) << "background";
}

TEST(Painting, ProgressFillAtZeroHalfAndFull)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->SelectItem(2, false));
    tree.Layout(600, 400);
    auto* bar = tree.As<DuiLib::CProgressUI>(L"installPrg", L"Progress");
    RECT box = bar->GetPos();
    int middle = (box.top + box.bottom) / 2;
    std::string track = ImagePixel(L"res\\mainWnd\\installPrg1.png", 200, 4);
    std::string fill = ImagePixel(L"res\\mainWnd\\installPrg2.png", 200, 4);
    ASSERT_NE(track, fill);
    PaintedSkin painted;

    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    EXPECT_EQ(track, painted.At(box.left + 10, middle)) << "value 0: only the track";
    EXPECT_EQ(track, painted.At(box.right - 10, middle));

    bar->SetValue(50);
    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    EXPECT_EQ(fill, painted.At(box.left + 10, middle));
    EXPECT_EQ(fill, painted.At(box.left + 250, middle));
    EXPECT_EQ(track, painted.At(box.left + 270, middle));

    bar->SetValue(100);
    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    EXPECT_EQ(fill, painted.At(box.left + 10, middle));
    EXPECT_EQ(fill, painted.At(box.right - 10, middle)) << "value 100: the fill covers all 520 pixels";

    // The failure fill the archive lacks: the bar then draws no fill.
    bar->SetForeImage(L"res\\mainWnd\\installPrg3.png");
    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    EXPECT_EQ(track, painted.At(box.left + 10, middle));
}

TEST(Painting, CheckBoxImagesFollowTheState)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"mainWnd.xml"));
    ASSERT_TRUE(tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout")->SelectItem(1, false));
    tree.Layout(600, 400);
    RECT box = tree.Rect(L"createDSCb");
    DuiLib::ImagePtr checked = DuiLib::LoadImageByName(L"res\\mainWnd\\Cb2.png", L"", false, 0);
    DuiLib::ImagePtr unchecked = DuiLib::LoadImageByName(L"res\\mainWnd\\Cb1.png", L"", false, 0);
    ASSERT_TRUE(checked && unchecked);
    // The image sits at dest 0,2,15,16 inside the box; find a pixel where the two pictures differ and are opaque.
    int px = -1, py = -1;
    for (int y = 0; y < 14 && px < 0; ++y) {
        for (int x = 0; x < 15; ++x) {
            uint32_t a = checked->PixelAt(x, y), b = unchecked->PixelAt(x, y);
            if ((a >> 24) == 255 && (b >> 24) == 255 && (a & 0xFFFFFF) != (b & 0xFFFFFF)) {
                px = x;
                py = y;
                break;
            }
        }
    }
    ASSERT_GE(px, 0) << "the two check box pictures should differ somewhere";
    PaintedSkin painted;
    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    EXPECT_EQ(Hex(checked->PixelAt(px, py)), painted.At(box.left + px, box.top + 2 + py));
    tree.As<DuiLib::COptionUI>(L"createDSCb", L"Option")->Selected(false, false);
    ASSERT_TRUE(painted.Paint(tree, 600, 400));
    EXPECT_EQ(Hex(unchecked->PixelAt(px, py)), painted.At(box.left + px, box.top + 2 + py));
}

TEST(Painting, WrappedTextMeasuresOneLinePerLineBreak)
{
    ToolkitSkinTree tree;
    ASSERT_TRUE(tree.Build(L"MessageBox1Wnd.xml"));
    auto* label = tree.As<DuiLib::CLabelUI>(L"textLbl", L"Label");
    ASSERT_NE(nullptr, label);
    DuiLib::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    SIZE one = label->MeasureText(dc.Get(), L"安装程序检测到Lumora");
    SIZE two = label->MeasureText(dc.Get(), L"安装程序检测到Lumora\r\n正在运行，请退出程序后再安装");
    EXPECT_GT(one.cy, 0);
    EXPECT_EQ(2 * one.cy, two.cy);
}

TEST(ImageLoader, MaskColourAndCache)
{
    ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive());
    DuiLib::ImagePtr plain = DuiLib::LoadImageByName(L"res\\mainWnd\\installPrg1.png", L"", false, 0);
    ASSERT_TRUE(plain);
    EXPECT_EQ(410, plain->width);
    EXPECT_EQ(8, plain->height);
    uint32_t value = plain->PixelAt(200, 4);
    ASSERT_EQ(255u, value >> 24);
    DuiLib::ImagePtr masked = DuiLib::LoadImageByName(L"res\\mainWnd\\installPrg1.png", L"", true, value);
    ASSERT_TRUE(masked);
    EXPECT_EQ(0u, masked->PixelAt(200, 4)) << "pixels equal to the mask become transparent";
    // The skin's mask '#FF0000' has alpha 0, so it matches no opaque pixel.
    DuiLib::ImagePtr skinMask = DuiLib::LoadImageByName(L"res/mainWnd/installPrg1.png", L"", true, 0x00FF0000);
    EXPECT_EQ(value, skinMask->PixelAt(200, 4));

    DuiLib::ImagePtr colour = DuiLib::LoadImageByName(L"#FF102030", L"*COLOR*", false, 0);
    ASSERT_TRUE(colour);
    EXPECT_EQ(0xFF102030u, colour->PixelAt(0, 0));

    EXPECT_FALSE(DuiLib::LoadImageByName(L"res\\common\\minbtn4.png", L"", false, 0)) << "not in the archive";
    EXPECT_FALSE(DuiLib::DecodeImage("not a picture", false, 0));

    DuiLib::PaintManager manager;
    const DuiLib::ImageData* first = manager.GetImage(L"res\\mainWnd\\logo.png");
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, manager.GetImage(L"res/mainWnd/logo.png")) << "decoded once per window";
    EXPECT_EQ(292, first->width);
    EXPECT_EQ(nullptr, manager.GetImage(L"res\\common\\closebtnM_4.png"));
}

}  // namespace
