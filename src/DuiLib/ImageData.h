#pragma once
// A decoded image: a top-down 32-bit device-independent bitmap with
// premultiplied alpha, ready for AlphaBlend.

#include "GdiHandles.h"

#include <cstdint>
#include <memory>
#include <string>

namespace DuiLib {

struct ImageData {
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;  // owned by bitmap
    int width = 0;
    int height = 0;

    // Premultiplied 0xAARRGGBB at (x, y); 0 outside.
    uint32_t PixelAt(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return bits[static_cast<size_t>(y) * width + x];
    }
};

using ImagePtr = std::shared_ptr<ImageData>;

// A blank bitmap of the given size (all pixels 0).
// Starts GDI+ for the rest of the process, once; every GDI+ user calls it first.
void StartGdiplusOnce();

ImagePtr CreateImageData(int width, int height);
// Decodes an image file (PNG and whatever else the platform decodes). Pixels
// whose straight 32-bit value equals mask become fully transparent when
// hasMask is set. Null for bytes that are not an image.
ImagePtr DecodeImage(const std::string& bytes, bool hasMask, uint32_t mask);
// A 1x1 image of one ARGB colour.
ImagePtr CreateColorImage(uint32_t argb);
// Finds the named image: "*COLOR*" type makes a colour image of the name,
// otherwise the resource state's look-up (archive or disk, then the plain
// file path). Null when nothing can be found or decoded.
ImagePtr LoadImageByName(const std::wstring& name, const std::wstring& resourceType, bool hasMask, uint32_t mask);

}  // namespace DuiLib
