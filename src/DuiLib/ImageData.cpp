#include "ImageData.h"

#include "AttributeValues.h"
#include "DuiLib/ResourceState.h"
#include "Utils/UniqueResource.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
// The GDI+ headers use unqualified min and max, which NOMINMAX takes away.
using std::max;
using std::min;
#include <gdiplus.h>

namespace DuiLib {

void StartGdiplusOnce()
{
    // Kept for the whole process: images decode until exit.
    static ULONG_PTR token = [] {
        ULONG_PTR value = 0;
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&value, &input, nullptr);
        return value;
    }();
    (void)token;
}

namespace {

uint32_t Premultiply(uint32_t argb)
{
    uint32_t a = argb >> 24;
    if (a == 255) return argb;
    uint32_t r = ((argb >> 16) & 0xFF) * a / 255;
    uint32_t g = ((argb >> 8) & 0xFF) * a / 255;
    uint32_t b = (argb & 0xFF) * a / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

void ReleaseStreamFn(IStream* s) { s->Release(); }
using UniqueStream = Utils::UniqueResource<Utils::NullTraits<IStream*, ReleaseStreamFn>>;

}  // namespace

ImagePtr CreateImageData(int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return nullptr;
    auto image = std::make_shared<ImageData>();
    image->bitmap.Reset(bitmap);
    image->bits = static_cast<uint32_t*>(bits);
    image->width = width;
    image->height = height;
    std::fill(image->bits, image->bits + static_cast<size_t>(width) * height, 0u);
    return image;
}

ImagePtr DecodeImage(const std::string& bytes, bool hasMask, uint32_t mask)
{
    if (bytes.empty()) return nullptr;
    StartGdiplusOnce();
    UniqueStream stream(::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<UINT>(bytes.size())));
    if (!stream) return nullptr;
    Gdiplus::Bitmap source(stream.Get());
    if (source.GetLastStatus() != Gdiplus::Ok) return nullptr;
    int width = static_cast<int>(source.GetWidth());
    int height = static_cast<int>(source.GetHeight());
    ImagePtr image = CreateImageData(width, height);
    if (!image) return nullptr;
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (source.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return nullptr;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        uint32_t* out = image->bits + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            out[x] = (hasMask && row[x] == mask) ? 0u : Premultiply(row[x]);
        }
    }
    source.UnlockBits(&data);
    return image;
}

ImagePtr CreateColorImage(uint32_t argb)
{
    ImagePtr image = CreateImageData(1, 1);
    if (image) image->bits[0] = Premultiply(argb);
    return image;
}

ImagePtr LoadImageByName(const std::wstring& name, const std::wstring& resourceType, bool hasMask, uint32_t mask)
{
    if (name.empty()) return nullptr;
    if (resourceType == L"*COLOR*") return CreateColorImage(ParseColor(name));
    std::string bytes;
    if (!LoadImageBytes(name, resourceType, bytes)) return nullptr;
    return DecodeImage(bytes, hasMask, mask);
}

}  // namespace DuiLib
