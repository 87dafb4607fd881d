#include "LayoutRule.h"

#include <algorithm>

namespace DuiLib {

namespace LayoutRule {

int Clamp(int size, int minSize, int maxSize)
{
    if (size > maxSize) size = maxSize;
    if (size < minSize) size = minSize;
    return size;
}

std::vector<int> DistributeMainAxis(const std::vector<AxisItem>& items, int available, int childPadding)
{
    int used = 0;
    int flexible = 0;
    for (const AxisItem& item : items) {
        used += item.paddingBefore + item.paddingAfter;
        if (item.estimate == 0) {
            ++flexible;
        } else {
            used += Clamp(item.estimate, item.minSize, item.maxSize);
        }
    }
    if (items.size() > 1) used += childPadding * static_cast<int>(items.size() - 1);
    int remaining = available - used;
    int share = flexible > 0 ? remaining / flexible : 0;
    if (share < 0) share = 0;

    std::vector<int> sizes;
    sizes.reserve(items.size());
    int flexSeen = 0;
    for (const AxisItem& item : items) {
        if (item.estimate != 0) {
            sizes.push_back(Clamp(item.estimate, item.minSize, item.maxSize));
            continue;
        }
        ++flexSeen;
        int size = flexSeen == flexible ? std::max(remaining, 0) : share;
        size = Clamp(size, item.minSize, item.maxSize);
        remaining -= size;
        sizes.push_back(size);
    }
    return sizes;
}

int CrossSize(int fixed, int available, int paddingBefore, int paddingAfter, int minSize, int maxSize)
{
    int room = available - paddingBefore - paddingAfter;
    int size = fixed > 0 ? fixed : room;
    size = std::min(size, room);
    size = std::min(size, maxSize);
    return std::max(size, minSize);
}

int CrossOffset(int size, int available, int paddingBefore, int paddingAfter, int alignment)
{
    int room = available - paddingBefore - paddingAfter;
    if (alignment == 1) return paddingBefore + (room - size) / 2;
    if (alignment == 2) return paddingBefore + room - size;
    return paddingBefore;
}

}  // namespace LayoutRule

}  // namespace DuiLib
