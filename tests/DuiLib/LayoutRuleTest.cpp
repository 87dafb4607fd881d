// The box arithmetic of the layouts and the attribute value formats.

#include "DuiLib/AttributeValues.h"
#include "DuiLib/ImageDescription.h"
#include "DuiLib/LayoutRule.h"
#include "DuiLib/WindowWnd.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using DuiLib::LayoutRule::AxisItem;

AxisItem Fixed(int size, int minSize = 0, int maxSize = 9999) { return AxisItem{size, minSize, maxSize, 0, 0}; }
AxisItem Flexible(int minSize = 0, int maxSize = 9999) { return AxisItem{0, minSize, maxSize, 0, 0}; }

struct DistributionCase {
    const char* name;
    std::vector<AxisItem> items;
    int available;
    int childPadding;
    std::vector<int> sizes;
};

TEST(LayoutRule, MainAxisDistribution)
{
    AxisItem padded = Fixed(10);
    padded.paddingBefore = 5;
    padded.paddingAfter = 7;
    const DistributionCase cases[] = {
        {"fixed keep their size", {Fixed(10), Fixed(20)}, 100, 0, {10, 20}},
        {"flexible share the rest", {Flexible(), Fixed(20), Flexible()}, 100, 0, {40, 20, 40}},
        {"the last flexible takes the remainder", {Flexible(), Flexible(), Flexible()}, 100, 0, {33, 33, 34}},
        {"paddings count as fixed space", {padded, Flexible()}, 100, 0, {10, 78}},
        {"child padding between neighbours", {Flexible(), Flexible()}, 100, 10, {45, 45}},
        {"a negative share counts as 0", {Fixed(80), Flexible(), Flexible()}, 50, 0, {80, 0, 0}},
        {"fixed sizes clamp to min", {Fixed(10, 30)}, 100, 0, {30}},
        {"fixed sizes clamp to max", {Fixed(50, 0, 20)}, 100, 0, {20}},
        {"flexible clamp to max, the last takes what is left", {Flexible(0, 10), Flexible()}, 100, 0, {10, 90}},
        {"flexible clamp to min", {Flexible(60), Flexible()}, 100, 0, {60, 40}},
        {"the last flexible never goes below 0", {Flexible(120), Flexible()}, 100, 0, {120, 0}},
        {"centring a fixed child", {Flexible(), Fixed(200), Flexible()}, 598, 0, {199, 200, 199}},
    };
    for (const DistributionCase& c : cases) {
        EXPECT_EQ(c.sizes, DuiLib::LayoutRule::DistributeMainAxis(c.items, c.available, c.childPadding)) << c.name;
    }
}

TEST(LayoutRule, CrossAxis)
{
    using DuiLib::LayoutRule::CrossSize;
    EXPECT_EQ(20, CrossSize(20, 100, 0, 0, 0, 9999));
    EXPECT_EQ(90, CrossSize(0, 100, 4, 6, 0, 9999)) << "whole box less padding";
    EXPECT_EQ(30, CrossSize(32, 30, 0, 0, 0, 9999)) << "no more than the box";
    EXPECT_EQ(15, CrossSize(0, 30, 0, 0, 0, 15)) << "no more than the maximum";
    EXPECT_EQ(40, CrossSize(20, 30, 0, 0, 40, 9999)) << "no less than the minimum";
    using DuiLib::LayoutRule::CrossOffset;
    EXPECT_EQ(3, CrossOffset(10, 100, 3, 0, 0));
    EXPECT_EQ(45, CrossOffset(10, 100, 0, 0, 1));
    EXPECT_EQ(88, CrossOffset(10, 100, 0, 2, 2));
}

TEST(AttributeValues, Colours)
{
    EXPECT_EQ(0xFF1675FEu, DuiLib::ParseColor(L"#FF1675FE"));
    EXPECT_EQ(0xFF1675FEu, DuiLib::ParseColor(L"0xFF1675FE"));
    EXPECT_EQ(0x00FF0000u, DuiLib::ParseColor(L"#FF0000")) << "six digits leave alpha 0";
    EXPECT_EQ(0u, DuiLib::ParseColor(L"#zz"));
    EXPECT_EQ(0u, DuiLib::ParseColor(L""));
}

TEST(AttributeValues, RectanglesSizesNumbers)
{
    RECT rc = DuiLib::ParseRect(L"84,2,100,18");
    EXPECT_EQ(84, rc.left);
    EXPECT_EQ(2, rc.top);
    EXPECT_EQ(100, rc.right);
    EXPECT_EQ(18, rc.bottom);
    RECT partial = DuiLib::ParseRect(L"10");
    EXPECT_EQ(10, partial.left);
    EXPECT_EQ(0, partial.bottom);
    RECT garbage = DuiLib::ParseRect(L"a,b");
    EXPECT_EQ(0, garbage.left);
    SIZE size = DuiLib::ParseSize(L"600,400");
    EXPECT_EQ(600, size.cx);
    EXPECT_EQ(400, size.cy);
    EXPECT_EQ(-5, DuiLib::ParseInt(L"-5"));
    EXPECT_EQ(0, DuiLib::ParseInt(L"x"));
    EXPECT_TRUE(DuiLib::ParseBool(L"TRUE"));
    EXPECT_FALSE(DuiLib::ParseBool(L"yes"));
}

TEST(ImageDescription, BarePathAndKeyValueList)
{
    DuiLib::ImageDescription bare = DuiLib::ParseImageDescription(L"res\\mainWnd\\bg1.png");
    EXPECT_EQ(L"res\\mainWnd\\bg1.png", bare.file);
    EXPECT_FALSE(bare.hasDest);
    EXPECT_EQ(255, bare.fade);

    DuiLib::ImageDescription full = DuiLib::ParseImageDescription(
        L"file='res\\mainWnd\\installPrg1.png' corner='2,2,2,2' mask='#FF0000' fade='128' hole='true' xtiled='true' "
        L"ytiled='false' dest='0,2,15,16' ");
    EXPECT_EQ(L"res\\mainWnd\\installPrg1.png", full.file);
    EXPECT_EQ(2, full.corner.left);
    EXPECT_EQ(2, full.corner.bottom);
    EXPECT_TRUE(full.hasMask);
    EXPECT_EQ(0x00FF0000u, full.mask);
    EXPECT_EQ(128, full.fade);
    EXPECT_TRUE(full.hole);
    EXPECT_TRUE(full.xTiled);
    EXPECT_FALSE(full.yTiled);
    EXPECT_TRUE(full.hasDest);
    EXPECT_EQ(15, full.dest.right);
    EXPECT_EQ(16, full.dest.bottom);

    EXPECT_EQ(255, DuiLib::ParseImageDescription(L"file='a.png' fade='999'").fade) << "fade is kept to 0..255";
}

TEST(CenterWindow, StartsKeptInsideTheWorkArea)
{
    using DuiLib::CenteredStart;
    EXPECT_EQ(212, CenteredStart(0, 1024, 600, 0, 1024));
    EXPECT_EQ(120, CenteredStart(0, 600, 360, 0, 1024)) << "over an owner at 0..600";
    EXPECT_EQ(0, CenteredStart(-500, 100, 360, 0, 1024)) << "a start before the area is raised";
    EXPECT_EQ(664, CenteredStart(900, 1400, 360, 0, 1024)) << "an end beyond the area moves back";
}

}  // namespace
