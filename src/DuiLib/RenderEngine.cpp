#include "RenderEngine.h"

#include "AttributeValues.h"
#include "GdiHandles.h"

#include <algorithm>

namespace DuiLib {

namespace RenderEngine {

namespace {

bool IsEmpty(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }

void Blend(HDC dc, HDC source, const RECT& to, const RECT& from, BYTE fade)
{
    if (IsEmpty(to) || IsEmpty(from)) return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    ::AlphaBlend(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, source, from.left, from.top,
                 from.right - from.left, from.bottom - from.top, blend);
}

// One cell of the nine-grid: stretched, or repeated along the tiled axes.
void DrawCell(HDC dc, HDC source, const RECT& to, const RECT& from, BYTE fade, bool xTiled, bool yTiled)
{
    if (IsEmpty(to) || IsEmpty(from)) return;
    if (!xTiled && !yTiled) {
        Blend(dc, source, to, from, fade);
        return;
    }
    int stepX = xTiled ? from.right - from.left : to.right - to.left;
    int stepY = yTiled ? from.bottom - from.top : to.bottom - to.top;
    for (int y = to.top; y < to.bottom; y += stepY) {
        for (int x = to.left; x < to.right; x += stepX) {
            RECT cellTo{x, y, std::min<LONG>(x + stepX, to.right), std::min<LONG>(y + stepY, to.bottom)};
            RECT cellFrom = from;
            if (xTiled) cellFrom.right = from.left + (cellTo.right - cellTo.left);
            if (yTiled) cellFrom.bottom = from.top + (cellTo.bottom - cellTo.top);
            Blend(dc, source, cellTo, cellFrom, fade);
        }
    }
}

}  // namespace

void FillColor(HDC dc, const RECT& rc, uint32_t argb)
{
    if (ColorAlpha(argb) == 0 || IsEmpty(rc)) return;
    if (ColorAlpha(argb) == 255) {
        UniqueBrush brush(::CreateSolidBrush(ToColorRef(argb)));
        ::FillRect(dc, &rc, brush.Get());
        return;
    }
    ImagePtr pixel = CreateColorImage(argb);
    if (!pixel) return;
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    ScopedSelect select(memory.Get(), pixel->bitmap.Get());
    Blend(dc, memory.Get(), rc, RECT{0, 0, 1, 1}, 255);
}

void FillRoundColor(HDC dc, const RECT& rc, SIZE round, uint32_t argb)
{
    if (round.cx <= 0 && round.cy <= 0) {
        FillColor(dc, rc, argb);
        return;
    }
    if (ColorAlpha(argb) == 0 || IsEmpty(rc)) return;
    UniqueBrush brush(::CreateSolidBrush(ToColorRef(argb)));
    ScopedSelect selectBrush(dc, brush.Get());
    ScopedSelect selectPen(dc, ::GetStockObject(NULL_PEN));
    // A null pen draws one pixel short on the right and bottom.
    ::RoundRect(dc, rc.left, rc.top, rc.right + 1, rc.bottom + 1, round.cx, round.cy);
}

void DrawBorder(HDC dc, const RECT& rc, int size, SIZE round, uint32_t argb)
{
    if (size <= 0 || ColorAlpha(argb) == 0 || IsEmpty(rc)) return;
    UniquePen pen(::CreatePen(PS_SOLID | PS_INSIDEFRAME, size, ToColorRef(argb)));
    ScopedSelect selectPen(dc, pen.Get());
    ScopedSelect selectBrush(dc, ::GetStockObject(NULL_BRUSH));
    if (round.cx > 0 || round.cy > 0) {
        ::RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, round.cx, round.cy);
    } else {
        ::Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    }
}

RECT ImageDestination(const RECT& rcControl, const ImageDescription& desc)
{
    if (!desc.hasDest) return rcControl;
    RECT rc{rcControl.left + desc.dest.left, rcControl.top + desc.dest.top, rcControl.left + desc.dest.right,
            rcControl.top + desc.dest.bottom};
    rc.right = std::min(rc.right, rcControl.right);
    rc.bottom = std::min(rc.bottom, rcControl.bottom);
    return rc;
}

void DrawImage(HDC dc, const ImageData& image, const RECT& rcControl, const ImageDescription& desc)
{
    RECT to = ImageDestination(rcControl, desc);
    RECT from{0, 0, image.width, image.height};
    if (desc.hasSource) {
        from.left = std::max<LONG>(0, desc.source.left);
        from.top = std::max<LONG>(0, desc.source.top);
        from.right = std::min<LONG>(image.width, desc.source.right);
        from.bottom = std::min<LONG>(image.height, desc.source.bottom);
    }
    if (IsEmpty(to) || IsEmpty(from)) return;
    UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    ScopedSelect select(memory.Get(), image.bitmap.Get());
    const RECT& c = desc.corner;
    // Corners larger than the box or the image would overlap; the grid then shrinks to fit.
    LONG cl = std::min(c.left, std::min(to.right - to.left, from.right - from.left));
    LONG cr = std::min(c.right, std::min(to.right - to.left - cl, from.right - from.left - cl));
    LONG ct = std::min(c.top, std::min(to.bottom - to.top, from.bottom - from.top));
    LONG cb = std::min(c.bottom, std::min(to.bottom - to.top - ct, from.bottom - from.top - ct));
    cl = std::max<LONG>(cl, 0);
    cr = std::max<LONG>(cr, 0);
    ct = std::max<LONG>(ct, 0);
    cb = std::max<LONG>(cb, 0);
    LONG toX[4] = {to.left, to.left + cl, to.right - cr, to.right};
    LONG toY[4] = {to.top, to.top + ct, to.bottom - cb, to.bottom};
    LONG fromX[4] = {from.left, from.left + cl, from.right - cr, from.right};
    LONG fromY[4] = {from.top, from.top + ct, from.bottom - cb, from.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            bool centre = row == 1 && col == 1;
            if (centre && desc.hole) continue;
            RECT cellTo{toX[col], toY[row], toX[col + 1], toY[row + 1]};
            RECT cellFrom{fromX[col], fromY[row], fromX[col + 1], fromY[row + 1]};
            // Tiling applies to the stretched parts: the centre and the edges along their length.
            bool xTiled = desc.xTiled && col == 1;
            bool yTiled = desc.yTiled && row == 1;
            DrawCell(dc, memory.Get(), cellTo, cellFrom, desc.fade, xTiled, yTiled);
        }
    }
}

void DrawTextInRect(HDC dc, HFONT font, const RECT& rc, const std::wstring& text, uint32_t argb, UINT style)
{
    if (text.empty() || ColorAlpha(argb) == 0 || IsEmpty(rc)) return;
    ScopedSelect select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(argb));
    RECT box = rc;
    if (!(style & DT_SINGLELINE) && (style & (DT_VCENTER | DT_BOTTOM))) {
        // DrawText centres only single lines; measure the wrapped block and place it.
        RECT measure = rc;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure,
                    (style & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
        LONG height = measure.bottom - measure.top;
        LONG free = (rc.bottom - rc.top) - height;
        if (free > 0) box.top += (style & DT_BOTTOM) ? free : free / 2;
        style &= ~(DT_VCENTER | DT_BOTTOM);
    }
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, style | DT_NOPREFIX);
}

SIZE MeasureText(HDC dc, HFONT font, const std::wstring& text, UINT style, int width)
{
    ScopedSelect select(dc, font);
    RECT rc{0, 0, width > 0 ? width : 9999, 9999};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc,
                (style & ~(DT_VCENTER | DT_BOTTOM | DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_NOPREFIX);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace RenderEngine

}  // namespace DuiLib
