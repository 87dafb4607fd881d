// Image descriptions drawn from small made-up pictures, pixel by pixel.

#include "DuiLib/GdiHandles.h"
#include "DuiLib/ImageData.h"
#include "DuiLib/RenderEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

DuiLib::ImagePtr Picture(int width, int height, std::initializer_list<uint32_t> pixels)
{
    DuiLib::ImagePtr image = DuiLib::CreateImageData(width, height);
    size_t i = 0;
    for (uint32_t p : pixels) image->bits[i++] = p;
    return image;
}

// A 3x3 picture: red corners, green edges, blue centre.
DuiLib::ImagePtr NineGrid()
{
    return Picture(3, 3, {kRed, kGreen, kRed, kGreen, kBlue, kGreen, kRed, kGreen, kRed});
}

class Canvas {
public:
    Canvas(int width, int height) : image_(DuiLib::CreateImageData(width, height)), dc_(::CreateCompatibleDC(nullptr))
    {
        select_ = ::SelectObject(dc_.Get(), image_->bitmap.Get());
        RECT all{0, 0, width, height};
        ::FillRect(dc_.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() { ::SelectObject(dc_.Get(), select_); }
    void Draw(const DuiLib::ImageData& image, const RECT& box, const std::wstring& description)
    {
        DuiLib::RenderEngine::DrawImage(dc_.Get(), image, box, DuiLib::ParseImageDescription(description));
        ::GdiFlush();
    }
    uint32_t At(int x, int y) const { return image_->PixelAt(x, y) & 0xFFFFFFu; }
    HDC Dc() const { return dc_.Get(); }

private:
    DuiLib::ImagePtr image_;
    DuiLib::UniqueMemoryDc dc_;
    HGDIOBJ select_;
};

bool Near(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = static_cast<int>((actual >> shift) & 0xFF);
        int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > 2) return false;
    }
    return true;
}

TEST(RenderEngine, NineGridKeepsCornersAndStretchesTheRest)
{
    DuiLib::ImagePtr grid = NineGrid();
    Canvas canvas(9, 9);
    canvas.Draw(*grid, RECT{0, 0, 9, 9}, L"file='x' corner='1,1,1,1'");
    EXPECT_EQ(0xFF0000u, canvas.At(0, 0));
    EXPECT_EQ(0xFF0000u, canvas.At(8, 8));
    EXPECT_EQ(0x00FF00u, canvas.At(1, 0)) << "the edge starts right after the corner";
    EXPECT_EQ(0x00FF00u, canvas.At(7, 0));
    EXPECT_EQ(0x00FF00u, canvas.At(0, 4));
    EXPECT_EQ(0x0000FFu, canvas.At(4, 4));
    EXPECT_EQ(0x0000FFu, canvas.At(1, 1));
}

TEST(RenderEngine, HoleLeavesTheCentreUndrawn)
{
    DuiLib::ImagePtr grid = NineGrid();
    Canvas canvas(9, 9);
    canvas.Draw(*grid, RECT{0, 0, 9, 9}, L"file='x' corner='1,1,1,1' hole='true'");
    EXPECT_EQ(0xFFFFFFu, canvas.At(4, 4));
    EXPECT_EQ(0x00FF00u, canvas.At(4, 0));
}

TEST(RenderEngine, FadeBlendsOverWhatIsBelow)
{
    DuiLib::ImagePtr blue = Picture(1, 1, {kBlue});
    Canvas canvas(4, 4);
    canvas.Draw(*blue, RECT{0, 0, 4, 4}, L"file='x' fade='128'");
    EXPECT_TRUE(Near(canvas.At(2, 2), 0x7F7FFFu)) << std::hex << canvas.At(2, 2);
}

TEST(RenderEngine, TilingRepeatsInsteadOfStretching)
{
    DuiLib::ImagePtr pair = Picture(2, 1, {kRed, kBlue});
    Canvas tiled(6, 1);
    tiled.Draw(*pair, RECT{0, 0, 6, 1}, L"file='x' xtiled='true'");
    for (int x = 0; x < 6; ++x) EXPECT_EQ(x % 2 ? 0x0000FFu : 0xFF0000u, tiled.At(x, 0)) << x;
    Canvas stretched(6, 1);
    stretched.Draw(*pair, RECT{0, 0, 6, 1}, L"file='x'");
    EXPECT_EQ(0xFF0000u, stretched.At(1, 0));
    EXPECT_EQ(0x0000FFu, stretched.At(4, 0));
}

TEST(RenderEngine, DestinationIsRelativeToTheControl)
{
    DuiLib::ImagePtr green = Picture(1, 1, {kGreen});
    Canvas canvas(10, 10);
    canvas.Draw(*green, RECT{2, 2, 10, 10}, L"file='x' dest='1,1,3,3'");
    EXPECT_EQ(0xFFFFFFu, canvas.At(2, 2));
    EXPECT_EQ(0x00FF00u, canvas.At(3, 3));
    EXPECT_EQ(0x00FF00u, canvas.At(4, 4));
    EXPECT_EQ(0xFFFFFFu, canvas.At(5, 5));
}

TEST(RenderEngine, TransparentPixelsShowWhatIsBelow)
{
    DuiLib::ImagePtr half = Picture(2, 1, {0u, kRed});
    Canvas canvas(2, 1);
    canvas.Draw(*half, RECT{0, 0, 2, 1}, L"file='x'");
    EXPECT_EQ(0xFFFFFFu, canvas.At(0, 0));
    EXPECT_EQ(0xFF0000u, canvas.At(1, 0));
}

TEST(RenderEngine, ColourFills)
{
    Canvas canvas(4, 4);
    DuiLib::RenderEngine::FillColor(canvas.Dc(), RECT{0, 0, 4, 4}, 0x00123456u);
    ::GdiFlush();
    EXPECT_EQ(0xFFFFFFu, canvas.At(1, 1)) << "alpha 0 is not drawn";
    DuiLib::RenderEngine::FillColor(canvas.Dc(), RECT{0, 0, 2, 4}, 0xFF123456u);
    DuiLib::RenderEngine::FillColor(canvas.Dc(), RECT{2, 0, 4, 4}, 0x80000000u);
    ::GdiFlush();
    EXPECT_EQ(0x123456u, canvas.At(1, 1));
    EXPECT_TRUE(Near(canvas.At(3, 1), 0x7F7F7Fu)) << std::hex << canvas.At(3, 1);
}

}  // namespace
