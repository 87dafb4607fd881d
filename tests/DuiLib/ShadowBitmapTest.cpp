// The shadow's picture computed without any window: size and place, the
// cut-out over the parent, the blur ramp and kernel values worked out by
// hand, empty and odd silhouettes, and the range checks of the settings.

#include "DuiLib/GdiHandles.h"
#include "DuiLib/ShadowBitmap.h"
#include "DuiLib/WndShadow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using DuiLib::ComputeShadowBitmap;
using DuiLib::ShadowBitmap;
using DuiLib::ShadowSettings;
using DuiLib::ShadowSpan;

uint32_t AlphaOf(uint32_t pixel) { return pixel >> 24; }

// The premultiplied pixel of a colour (red in the lowest byte) at an alpha.
uint32_t Premultiplied(uint32_t color, uint32_t alpha)
{
    return (alpha << 24) | (((color & 0xFF) * alpha / 255) << 16) | ((((color >> 8) & 0xFF) * alpha / 255) << 8) |
           (((color >> 16) & 0xFF) * alpha / 255);
}

std::vector<ShadowSpan> Rectangle(int width, int height)
{
    return std::vector<ShadowSpan>(static_cast<size_t>(height), ShadowSpan{0, width});
}

// The shipped skins' shadow: size 6, sharpness 10, darkness 20, position (1,1), "#26003B76".
ShadowSettings SkinShadow()
{
    ShadowSettings settings;
    settings.size = 6;
    settings.sharpness = 10;
    settings.darkness = 20;
    settings.xOffset = 1;
    settings.yOffset = 1;
    settings.color = 0x26003B76;
    return settings;
}

std::vector<uint32_t> Alphas(const ShadowBitmap& bitmap, POINT from, POINT step, int count)
{
    std::vector<uint32_t> alphas;
    for (int i = 0; i < count; ++i) alphas.push_back(AlphaOf(bitmap.At(from.x + step.x * i, from.y + step.y * i)));
    return alphas;
}

class ShadowOfRectangle : public ::testing::Test {
protected:
    const SIZE parent_{600, 400};
    const ShadowSettings settings_ = SkinShadow();
    const ShadowBitmap bitmap_ = ComputeShadowBitmap(Rectangle(600, 400), parent_, settings_);
};

TEST_F(ShadowOfRectangle, IsTwelvePixelsLargerAndSitsFiveUpAndLeft)
{
    EXPECT_EQ(612, bitmap_.width);
    EXPECT_EQ(412, bitmap_.height);
    ASSERT_EQ(612u * 412u, bitmap_.pixels.size());
    POINT offset = DuiLib::ShadowOffset(settings_);
    EXPECT_EQ(-5, offset.x);
    EXPECT_EQ(-5, offset.y);
}

TEST_F(ShadowOfRectangle, IsFullyTransparentOverTheParent)
{
    // Parent pixel (x, y) lies under shadow pixel (x + 5, y + 5).
    int covered = 0;
    for (int y = 0; y < parent_.cy; ++y) {
        for (int x = 0; x < parent_.cx; ++x) covered += bitmap_.At(x + 5, y + 5) != 0 ? 1 : 0;
    }
    EXPECT_EQ(0, covered);
}

TEST_F(ShadowOfRectangle, EveryPixelIsTheColourAtNoMoreThanTheDarkness)
{
    uint32_t darkest = 0;
    int wrong = 0;
    for (uint32_t pixel : bitmap_.pixels) {
        darkest = std::max(darkest, AlphaOf(pixel));
        wrong += pixel != Premultiplied(settings_.color, AlphaOf(pixel)) ? 1 : 0;
    }
    EXPECT_EQ(0, wrong) << "premultiplied colour";
    EXPECT_LE(darkest, 20u);
    EXPECT_EQ(12u, darkest) << "the darkest visible pixel, beside the right and bottom edges";
}

TEST_F(ShadowOfRectangle, EachEdgeRampsUpTowardsTheParent)
{
    // From the outer edge inwards, in the middle of each side. The offset
    // (1,1) leaves five visible pixels above and left, seven right and below.
    const std::vector<uint32_t> nearSide{1, 3, 5, 7, 9};
    const std::vector<uint32_t> farSide{1, 3, 5, 7, 9, 10, 12};
    EXPECT_EQ(nearSide, Alphas(bitmap_, {306, 0}, {0, 1}, 5)) << "top";
    EXPECT_EQ(nearSide, Alphas(bitmap_, {0, 206}, {1, 0}, 5)) << "left";
    EXPECT_EQ(farSide, Alphas(bitmap_, {611, 206}, {-1, 0}, 7)) << "right";
    EXPECT_EQ(farSide, Alphas(bitmap_, {306, 411}, {0, -1}, 7)) << "bottom";
    // The ramp is the same along the whole side.
    EXPECT_EQ(Alphas(bitmap_, {20, 0}, {0, 1}, 5), Alphas(bitmap_, {590, 0}, {0, 1}, 5));
    EXPECT_EQ(Alphas(bitmap_, {0, 20}, {1, 0}, 5), Alphas(bitmap_, {0, 390}, {1, 0}, 5));
}

TEST_F(ShadowOfRectangle, CornersFollowTheRoundKernel)
{
    // After 10 - 6 = 4 erosions the kernel (radius 10, ramp over 11 steps)
    // is stamped along the outline x 10..601, y 10..401; a pixel takes the
    // nearest centre: alpha = trunc((1 - D / 11) * 20).
    struct Case {
        POINT at;
        uint32_t alpha;
    };
    const Case cases[] = {
        {{0, 0}, 0},      // D = sqrt(200) > 10
        {{3, 3}, 2},      // D = sqrt(98) = 9.90 -> 2.0009
        {{4, 4}, 4},      // D = sqrt(72) = 8.49 -> 4.57
        {{608, 4}, 3},    // D = sqrt(49 + 36) = 9.22 -> 3.24
        {{605, 405}, 9},  // D = sqrt(32) = 5.66 -> 9.71
        {{608, 408}, 2},  // D = sqrt(98)
        {{611, 411}, 0},
        {{4, 200}, 9},    // D = 6 -> 9.09
        {{605, 200}, 12}, // D = 4 -> 12.7
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.alpha, AlphaOf(bitmap_.At(c.at.x, c.at.y))) << "at " << c.at.x << "," << c.at.y;
    }
}

TEST(ShadowBitmap, ParentWithoutRegionGivesAFullyTransparentShadow)
{
    ShadowBitmap bitmap = ComputeShadowBitmap(DuiLib::RegionSpans(nullptr, 600, 400), SIZE{600, 400}, SkinShadow());
    ASSERT_EQ(612, bitmap.width);
    ASSERT_EQ(412, bitmap.height);
    for (uint32_t pixel : bitmap.pixels) ASSERT_EQ(0u, pixel);
}

TEST(ShadowBitmap, SharpnessBelowSizeKeepsASolidBandInsideTheRamp)
{
    // Size 6, sharpness 2: no erosion, kernel radius 6, full darkness within
    // 4 pixels of the outline, then (1 - (D - 4) / 3) * 90 out to 6.
    ShadowSettings settings;
    settings.size = 6;
    settings.sharpness = 2;
    settings.darkness = 90;
    settings.xOffset = 0;
    settings.yOffset = 0;
    settings.color = 0x00FFFFFF;
    ShadowBitmap bitmap = ComputeShadowBitmap(Rectangle(40, 30), SIZE{40, 30}, settings);
    ASSERT_EQ(52, bitmap.width);
    ASSERT_EQ(42, bitmap.height);
    const std::vector<uint32_t> ramp{30, 60, 90, 90, 90, 90, 0};
    EXPECT_EQ(ramp, Alphas(bitmap, {0, 20}, {1, 0}, 7)) << "left, then the parent at column 6";
    EXPECT_EQ(ramp, Alphas(bitmap, {51, 20}, {-1, 0}, 7)) << "right";
    EXPECT_EQ(ramp, Alphas(bitmap, {26, 0}, {0, 1}, 7)) << "top";
    EXPECT_EQ(ramp, Alphas(bitmap, {26, 41}, {0, -1}, 7)) << "bottom";
    EXPECT_EQ(Premultiplied(0x00FFFFFF, 90), bitmap.At(3, 20));
}

TEST(ShadowBitmap, OffsetShadowIsSolidWhereTheParentDoesNotCoverIt)
{
    // Pushed 5 right and down with a hard edge (sharpness 0): the band the
    // parent leaves uncovered on the right and bottom is filled at full
    // darkness, the part under the parent is cut out.
    ShadowSettings settings;
    settings.size = 3;
    settings.sharpness = 0;
    settings.darkness = 200;
    settings.xOffset = 5;
    settings.yOffset = 5;
    ShadowBitmap bitmap = ComputeShadowBitmap(Rectangle(40, 30), SIZE{40, 30}, settings);
    ASSERT_EQ(46, bitmap.width);
    ASSERT_EQ(36, bitmap.height);
    // The window sits at (+2, +2): shadow pixel (c, r) lies over parent pixel (c + 2, r + 2).
    EXPECT_EQ(0u, bitmap.At(1, 1)) << "over the parent's corner";
    EXPECT_EQ(0u, bitmap.At(37, 27)) << "over the parent's last pixel";
    EXPECT_EQ(200u, AlphaOf(bitmap.At(38, 20))) << "just right of the parent";
    EXPECT_EQ(200u, AlphaOf(bitmap.At(20, 28))) << "just below the parent";
    EXPECT_EQ(200u, AlphaOf(bitmap.At(44, 34))) << "inside the round kernel at the far corner";
    EXPECT_EQ(0u, bitmap.At(45, 35)) << "beyond it";
}

TEST(ShadowBitmap, CutOutFollowsTheRegionNotTheBox)
{
    // A strongly rounded parent: its box corners are outside its region and
    // show shadow, every pixel of its region shows none.
    DuiLib::UniqueRegion region(::CreateRoundRectRgn(0, 0, 121, 81, 40, 40));
    std::vector<ShadowSpan> spans = DuiLib::RegionSpans(region.Get(), 120, 80);
    ShadowBitmap bitmap = ComputeShadowBitmap(spans, SIZE{120, 80}, SkinShadow());
    int insideShown = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (::PtInRegion(region.Get(), x, y)) insideShown += bitmap.At(x + 5, y + 5) != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(0, insideShown);
    ASSERT_FALSE(::PtInRegion(region.Get(), 5, 5));
    EXPECT_GT(AlphaOf(bitmap.At(5 + 5, 5 + 5)), 0u) << "shadow in the rounded-off corner";
}

TEST(ShadowBitmap, RegionSpansRunFromFirstToLastPixelOfEachRow)
{
    DuiLib::UniqueRegion region(::CreateRectRgn(10, 5, 30, 20));
    DuiLib::UniqueRegion second(::CreateRectRgn(35, 10, 60, 12));  // beyond the width: clipped
    ::CombineRgn(region.Get(), region.Get(), second.Get(), RGN_OR);
    std::vector<ShadowSpan> spans = DuiLib::RegionSpans(region.Get(), 50, 25);
    ASSERT_EQ(25u, spans.size());
    EXPECT_TRUE(spans[4].IsEmpty());
    EXPECT_EQ(10, spans[5].start);
    EXPECT_EQ(30, spans[5].end);
    EXPECT_EQ(10, spans[10].start) << "a gap inside the row does not split it";
    EXPECT_EQ(50, spans[10].end);
    EXPECT_EQ(30, spans[12].end);
    EXPECT_TRUE(spans[20].IsEmpty());
}

TEST(ShadowBitmap, NegativeSizeOfHalfTheParentOrMoreLeavesNothing)
{
    ShadowSettings settings = SkinShadow();
    struct Case {
        int size;
        int width;  // 0: empty
    };
    const Case cases[] = {{-14, 2}, {-15, 0}, {-16, 0}, {-20, 0}};
    for (const Case& c : cases) {
        settings.size = c.size;
        ShadowBitmap bitmap = ComputeShadowBitmap(Rectangle(30, 100), SIZE{30, 100}, settings);
        EXPECT_EQ(c.width, bitmap.width) << "size " << c.size;
        EXPECT_EQ(c.width == 0, bitmap.IsEmpty()) << "size " << c.size;
        for (uint32_t pixel : bitmap.pixels) EXPECT_LE(AlphaOf(pixel), settings.darkness);
    }
    // A modest negative size still draws a shadow inside the parent's box,
    // which the parent covers entirely.
    settings.size = -5;
    ShadowBitmap inner = ComputeShadowBitmap(Rectangle(600, 400), SIZE{600, 400}, settings);
    EXPECT_EQ(590, inner.width);
    EXPECT_EQ(390, inner.height);
}

TEST(ShadowBitmap, TopByteOfTheColourIsIgnored)
{
    ShadowSettings settings = SkinShadow();
    ShadowBitmap a = ComputeShadowBitmap(Rectangle(60, 40), SIZE{60, 40}, settings);
    settings.color = 0x00003B76;
    ShadowBitmap b = ComputeShadowBitmap(Rectangle(60, 40), SIZE{60, 40}, settings);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_EQ(Premultiplied(0x3B76, 12), a.At(65, 20)) << "red 0x76, green 0x3B, blue 0";
}

TEST(ShadowSettersRange, RejectEachValueOutsideItsRangeAndKeepTheOld)
{
    DuiLib::CWndShadow shadow;
    // Defaults.
    EXPECT_EQ(0, shadow.GetSettings().size);
    EXPECT_EQ(5u, shadow.GetSettings().sharpness);
    EXPECT_EQ(150u, shadow.GetSettings().darkness);
    EXPECT_EQ(5, shadow.GetSettings().xOffset);
    EXPECT_EQ(5, shadow.GetSettings().yOffset);

    EXPECT_FALSE(shadow.SetSize(21));
    EXPECT_FALSE(shadow.SetSize(-21));
    EXPECT_FALSE(shadow.SetSharpness(21));
    EXPECT_FALSE(shadow.SetSharpness(static_cast<unsigned>(-1)));
    EXPECT_FALSE(shadow.SetDarkness(256));
    EXPECT_FALSE(shadow.SetPosition(21, 0));
    EXPECT_FALSE(shadow.SetPosition(0, -21));
    EXPECT_FALSE(shadow.SetImage(L"res\\no\\such.png", RECT{5, 5, 5, 5}, RECT{0, 0, 0, 0}));
    EXPECT_EQ(0, shadow.GetSettings().size);
    EXPECT_EQ(5u, shadow.GetSettings().sharpness);
    EXPECT_EQ(150u, shadow.GetSettings().darkness);
    EXPECT_EQ(5, shadow.GetSettings().xOffset);
    EXPECT_EQ(5, shadow.GetSettings().yOffset);
    EXPECT_FALSE(shadow.IsImageMode());

    EXPECT_TRUE(shadow.SetSize(-20));
    EXPECT_TRUE(shadow.SetSize(20));
    EXPECT_TRUE(shadow.SetSharpness(0));
    EXPECT_TRUE(shadow.SetSharpness(20));
    EXPECT_TRUE(shadow.SetDarkness(255));
    EXPECT_TRUE(shadow.SetPosition(-20, 20));
    EXPECT_TRUE(shadow.SetColor(0xFFEDF0F4));
    EXPECT_EQ(20, shadow.GetSettings().size);
    EXPECT_EQ(20u, shadow.GetSettings().sharpness);
    EXPECT_EQ(255u, shadow.GetSettings().darkness);
    EXPECT_EQ(-20, shadow.GetSettings().xOffset);
    EXPECT_EQ(20, shadow.GetSettings().yOffset);
    EXPECT_EQ(0xFFEDF0F4u, shadow.GetSettings().color);
}

}  // namespace
