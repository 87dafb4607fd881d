#include "ShadowBitmap.h"

#include "GdiHandles.h"

#include <float.h>

#include <algorithm>
#include <cmath>

namespace DuiLib {

namespace {

uint32_t ShadowPixel(uint32_t color, uint32_t alpha)
{
    uint32_t red = color & 0xFF;
    uint32_t green = (color >> 8) & 0xFF;
    uint32_t blue = (color >> 16) & 0xFF;
    return (alpha << 24) | ((red * alpha / 255) << 16) | ((green * alpha / 255) << 8) | (blue * alpha / 255);
}

// The kernel's ramp is defined in double precision. The x87 unit of a
// 32-bit build otherwise keeps 64-bit mantissas, which moves a truncated
// alpha by one at exact fractions ((1 - 2/3) * 90 gives 29 instead of 30).
class DoublePrecisionScope {
public:
#if defined(__i386__) || defined(_M_IX86)
    DoublePrecisionScope() : saved_(_controlfp(0, 0)) { _controlfp(_PC_53, _MCW_PC); }
    ~DoublePrecisionScope() { _controlfp(saved_, _MCW_PC); }

private:
    unsigned int saved_;
#endif
};

// A square of side 2K+1: full darkness inside the radius C, a linear ramp
// over the sharpness out to K, nothing beyond.
class ShadowKernel {
public:
    ShadowKernel(int size, int sharpness, uint32_t darkness, uint32_t color)
        : radius_(std::max(size, sharpness)), side_(2 * radius_ + 1), cells_(static_cast<size_t>(side_) * side_, 0)
    {
        DoublePrecisionScope precision;
        const double inner = size > sharpness ? size - sharpness : 0;
        for (int i = 0; i < side_; ++i) {
            for (int j = 0; j < side_; ++j) {
                double distance = std::sqrt(double(i - radius_) * (i - radius_) + double(j - radius_) * (j - radius_));
                uint32_t alpha = 0;
                if (distance < inner) {
                    alpha = darkness;
                } else if (distance <= radius_) {
                    alpha = static_cast<uint32_t>((1.0 - (distance - inner) / (sharpness + 1)) * darkness);
                }
                cells_[static_cast<size_t>(i) * side_ + j] = ShadowPixel(color, alpha);
            }
        }
    }

    int Radius() const { return radius_; }

    // Centred on (x, y): each pixel keeps the larger of itself and the cell,
    // so the darker contribution wins where stamps overlap.
    void Stamp(ShadowBitmap& bitmap, int x, int y) const
    {
        int top = y - radius_;
        int left = x - radius_;
        int iBegin = std::max(0, -top), iEnd = std::min(side_, bitmap.height - top);
        int jBegin = std::max(0, -left), jEnd = std::min(side_, bitmap.width - left);
        for (int i = iBegin; i < iEnd; ++i) {
            uint32_t* row = &bitmap.pixels[static_cast<size_t>(top + i) * bitmap.width + left];
            const uint32_t* cell = &cells_[static_cast<size_t>(i) * side_];
            for (int j = jBegin; j < jEnd; ++j) row[j] = std::max(row[j], cell[j]);
        }
    }

private:
    int radius_;
    int side_;
    std::vector<uint32_t> cells_;
};

void FillRow(ShadowBitmap& bitmap, int y, int from, int to, uint32_t value)
{
    from = std::max(from, 0);
    to = std::min(to, bitmap.width);
    if (from >= to) return;
    uint32_t* row = &bitmap.pixels[static_cast<size_t>(y) * bitmap.width];
    std::fill(row + from, row + to, value);
}

// Rows of the shadow with one sentinel row before and after, so a row's
// neighbours always exist.
class SpanTable {
public:
    SpanTable(int rows, ShadowSpan empty) : spans_(static_cast<size_t>(rows) + 2, empty), empty_(empty) {}

    int Rows() const { return static_cast<int>(spans_.size()) - 2; }
    // Row -1 and row Rows() are the sentinels.
    const ShadowSpan& operator[](int row) const { return spans_[static_cast<size_t>(row + 1)]; }
    ShadowSpan& operator[](int row) { return spans_[static_cast<size_t>(row + 1)]; }

    // Every inner row narrows to what it shares with both neighbours, less one column on each side.
    void Erode()
    {
        std::vector<ShadowSpan> next = spans_;
        for (size_t i = 1; i + 1 < spans_.size(); ++i) {
            next[i].start = std::max({spans_[i - 1].start, spans_[i].start, spans_[i + 1].start}) + 1;
            next[i].end = std::min({spans_[i - 1].end, spans_[i].end, spans_[i + 1].end}) - 1;
        }
        next.front() = next.back() = empty_;
        spans_.swap(next);
    }

private:
    std::vector<ShadowSpan> spans_;
    ShadowSpan empty_;
};

// The parent's rows placed in shadow coordinates (shifted by the size), then
// worn down by the part of the ramp the size does not already cover.
SpanTable ShadowRows(const std::vector<ShadowSpan>& parentSpans, SIZE parent, int size, int sharpness, int height)
{
    ShadowSpan empty = EmptyParentSpan(parent.cx);
    SpanTable table(std::max<int>(parent.cy, height), empty);
    for (int y = 0; y < parent.cy; ++y) {
        int row = y + size;
        if (row < 0 || row >= table.Rows()) continue;
        ShadowSpan span = static_cast<size_t>(y) < parentSpans.size() ? parentSpans[static_cast<size_t>(y)] : empty;
        table[row] = ShadowSpan{span.start + size, span.end + size};
    }
    for (int pass = size; pass < sharpness; ++pass) table.Erode();
    return table;
}

// The ramp: the kernel stamped along the ends of every row, and along the
// whole row where it sticks out past a neighbour.
void StampBorder(ShadowBitmap& bitmap, const SpanTable& rows, const ShadowKernel& kernel)
{
    int radius = kernel.Radius();
    for (int r = radius; r < bitmap.height - radius; ++r) {
        const ShadowSpan& span = rows[r];
        if (span.IsEmpty()) continue;
        const ShadowSpan& above = rows[r - 1];
        const ShadowSpan& below = rows[r + 1];
        int x = span.start;
        int leftEnd = std::min(std::max(above.start, below.start) + 1, span.end);
        for (; x < leftEnd; ++x) kernel.Stamp(bitmap, x, r);
        x = std::max(x, std::min(above.end, below.end) - 1);
        for (; x < span.end; ++x) kernel.Stamp(bitmap, x, r);
    }
}

// The solid middle, with the parent's own pixels cut out.
void FillAndCut(ShadowBitmap& bitmap, const SpanTable& rows, const std::vector<ShadowSpan>& parentSpans, SIZE parent,
                const ShadowSettings& settings, int radius)
{
    const int s = settings.size;
    const uint32_t solid = ShadowPixel(settings.color, settings.darkness);
    const ShadowSpan empty = EmptyParentSpan(parent.cx);
    const int parentHeight = static_cast<int>(parent.cy);
    int first = std::min(radius, std::max(s - settings.yOffset, 0));
    int last = std::max(bitmap.height - radius, std::min(parentHeight + s - settings.yOffset, parentHeight + 2 * s));
    last = std::min(last, bitmap.height);
    for (int r = first; r < last; ++r) {
        const ShadowSpan& span = rows[r];
        int p = r - s + settings.yOffset;
        if (p < 0 || p >= parentHeight) {
            FillRow(bitmap, r, span.start, span.end, solid);
            continue;
        }
        ShadowSpan own = static_cast<size_t>(p) < parentSpans.size() ? parentSpans[static_cast<size_t>(p)] : empty;
        int ownStart = own.start + s - settings.xOffset;
        int ownEnd = own.end + s - settings.xOffset;
        FillRow(bitmap, r, span.start, std::min(ownStart, span.end), solid);
        FillRow(bitmap, r, ownStart, ownEnd, 0);
        FillRow(bitmap, r, std::max(ownEnd, span.start), span.end, solid);
    }
}

}  // namespace

POINT ShadowOffset(const ShadowSettings& settings)
{
    return POINT{settings.xOffset - settings.size, settings.yOffset - settings.size};
}

ShadowBitmap ComputeShadowBitmap(const std::vector<ShadowSpan>& parentSpans, SIZE parent,
                                 const ShadowSettings& settings)
{
    ShadowBitmap bitmap;
    const int s = settings.size;
    const int width = parent.cx + 2 * s;
    const int height = parent.cy + 2 * s;
    if (parent.cx <= 0 || parent.cy <= 0 || width <= 0 || height <= 0) return bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(static_cast<size_t>(width) * height, 0);

    const int sharpness = static_cast<int>(settings.sharpness);
    SpanTable rows = ShadowRows(parentSpans, parent, s, sharpness, height);
    ShadowKernel kernel(s, sharpness, settings.darkness, settings.color);
    StampBorder(bitmap, rows, kernel);
    FillAndCut(bitmap, rows, parentSpans, parent, settings, kernel.Radius());
    return bitmap;
}

std::vector<ShadowSpan> RegionSpans(HRGN region, int width, int height)
{
    std::vector<ShadowSpan> spans(static_cast<size_t>(std::max(height, 0)), EmptyParentSpan(width));
    if (!region || width <= 0 || height <= 0) return spans;
    DWORD bytes = ::GetRegionData(region, 0, nullptr);
    if (bytes < sizeof(RGNDATAHEADER)) return spans;
    // RGNDATA wants its rectangles aligned like a RECT.
    std::vector<RECT> buffer((bytes + sizeof(RECT) - 1) / sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (::GetRegionData(region, bytes, data) == 0) return spans;
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    // A pixel is inside exactly when one of the region's rectangles holds it.
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        const RECT& rc = rects[i];
        int left = std::max<int>(rc.left, 0);
        int right = std::min<int>(rc.right, width);
        if (left >= right) continue;
        for (int y = std::max<int>(rc.top, 0); y < std::min<int>(rc.bottom, height); ++y) {
            ShadowSpan& span = spans[static_cast<size_t>(y)];
            span.start = std::min(span.start, left);
            span.end = std::max(span.end, right);
        }
    }
    return spans;
}

std::vector<ShadowSpan> WindowRegionSpans(HWND window, int width, int height)
{
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    if (!region || ::GetWindowRgn(window, region.Get()) == ERROR) return RegionSpans(nullptr, width, height);
    return RegionSpans(region.Get(), width, height);
}

}  // namespace DuiLib
