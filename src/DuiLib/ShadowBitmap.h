#pragma once
// The drop shadow's picture as a plain computation: from the rows of the
// parent's silhouette (one span of columns per row) and the shadow settings
// to premultiplied pixels, with no window involved. A thin layer reads the
// spans from a region or from a window's region.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace DuiLib {

// Columns [start, end) of one row; empty when start >= end.
struct ShadowSpan {
    int start;
    int end;
    bool IsEmpty() const { return start >= end; }
};

struct ShadowSettings {
    int size = 0;             // how far the shadow reaches beyond the parent, -20..20
    unsigned sharpness = 5;   // width of the blur ramp, 0..20
    unsigned darkness = 150;  // alpha of the solid part, 0..255
    int xOffset = 5;          // -20..20
    int yOffset = 5;          // -20..20
    uint32_t color = 0;       // red in the lowest byte, then green, then blue; the top byte is ignored
};

// Premultiplied 0xAARRGGBB pixels, rows from the top.
struct ShadowBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return pixels[static_cast<size_t>(y) * width + x];
    }
};

// The empty span of a parent row as the region reader writes it.
inline ShadowSpan EmptyParentSpan(int parentWidth) { return ShadowSpan{parentWidth, 0}; }

// The bitmap for a parent of the given size whose row y covers parentSpans[y]
// (rows beyond the list count as empty). It is the parent size grown by
// settings.size on every side. A size that leaves no pixels (a negative size
// of half the parent or more) gives an empty bitmap: there is nothing to show.
ShadowBitmap ComputeShadowBitmap(const std::vector<ShadowSpan>& parentSpans, SIZE parent,
                                 const ShadowSettings& settings);

// Where the computed bitmap goes, relative to the parent's top-left corner.
POINT ShadowOffset(const ShadowSettings& settings);

// One span per row 0..height-1: from the first to one past the last column
// 0..width-1 inside the region. A null region gives empty rows.
std::vector<ShadowSpan> RegionSpans(HRGN region, int width, int height);
// The same for a window's own region (GetWindowRgn); a window without one
// gives empty rows, so its shadow is fully transparent.
std::vector<ShadowSpan> WindowRegionSpans(HWND window, int width, int height);

}  // namespace DuiLib
