#pragma once
// The box arithmetic of the layouts, free of controls and windows.

#include <vector>

namespace DuiLib {

namespace LayoutRule {

constexpr int DefaultMaxSize = 9999;

struct AxisItem {
    int estimate = 0;  // 0: flexible
    int minSize = 0;
    int maxSize = DefaultMaxSize;
    int paddingBefore = 0;
    int paddingAfter = 0;
};

int Clamp(int size, int minSize, int maxSize);
// Main-axis sizes: fixed items keep their (clamped) estimate, flexible items
// share what is left by integer division, the last one taking the remainder.
std::vector<int> DistributeMainAxis(const std::vector<AxisItem>& items, int available, int childPadding);
// Cross-axis size: the fixed size or the whole box less the padding, never
// beyond that box or the maximum, never below the minimum.
int CrossSize(int fixed, int available, int paddingBefore, int paddingAfter, int minSize, int maxSize);
// Offset of a child of that size from the box start: 0 start, 1 centre, 2 end.
int CrossOffset(int size, int available, int paddingBefore, int paddingAfter, int alignment);

}  // namespace LayoutRule

}  // namespace DuiLib
