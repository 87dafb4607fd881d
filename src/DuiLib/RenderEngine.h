#pragma once
// Drawing primitives on a device context: colour fills, images by
// description (nine-grid, tiling, fade, hole), borders and text.

#include "ImageData.h"
#include "ImageDescription.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace DuiLib {

namespace RenderEngine {

// Fills rc with an ARGB colour; alpha 0 draws nothing, partial alpha blends.
void FillColor(HDC dc, const RECT& rc, uint32_t argb);
// As FillColor with rounded corners (ellipse cx, cy) when they are not zero.
void FillRoundColor(HDC dc, const RECT& rc, SIZE round, uint32_t argb);
void DrawBorder(HDC dc, const RECT& rc, int size, SIZE round, uint32_t argb);
// Draws an image as described into the control box rcControl.
void DrawImage(HDC dc, const ImageData& image, const RECT& rcControl, const ImageDescription& desc);
// The destination box of an image description inside a control box.
RECT ImageDestination(const RECT& rcControl, const ImageDescription& desc);
// Text with DrawText style bits; DT_VCENTER works for word-wrapped text too.
void DrawTextInRect(HDC dc, HFONT font, const RECT& rc, const std::wstring& text, uint32_t argb, UINT style);
// Size of text in the font (DT_CALCRECT with the style, within width for wrapping).
SIZE MeasureText(HDC dc, HFONT font, const std::wstring& text, UINT style, int width);

}  // namespace RenderEngine

}  // namespace DuiLib
