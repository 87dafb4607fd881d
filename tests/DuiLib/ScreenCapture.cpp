#include "ScreenCapture.h"

#include "DuiLib/GdiHandles.h"
#include "DuiLib/ImageData.h"

#include <objidl.h>

#include <algorithm>
#include <cstdio>
#include <set>
// The GDI+ headers use unqualified min and max, which NOMINMAX takes away.
using std::max;
using std::min;
#include <gdiplus.h>

namespace TestSupport {

namespace {

bool PngEncoder(CLSID& clsid)
{
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

size_t ScreenCapture::DistinctColours() const
{
    std::set<uint32_t> colours;
    for (uint32_t p : pixels) colours.insert(p & 0xFFFFFFu);
    return colours.size();
}

bool ScreenCapture::SavePng(const std::wstring& path) const
{
    DuiLib::StartGdiplusOnce();
    if (width <= 0 || height <= 0) return false;
    CLSID png;
    if (!PngEncoder(png)) return false;
    std::vector<uint32_t> opaque(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) opaque[i] = pixels[i] | 0xFF000000u;
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(opaque.data()));
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

ScreenCapture CaptureScreen(const RECT& rc)
{
    ScreenCapture capture;
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return capture;
    DuiLib::ImagePtr buffer = DuiLib::CreateImageData(width, height);
    if (!buffer) return capture;
    HDC screen = ::GetDC(nullptr);
    {
        DuiLib::UniqueMemoryDc memory(::CreateCompatibleDC(screen));
        DuiLib::ScopedSelect select(memory.Get(), buffer->bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
        ::GdiFlush();
    }
    capture.width = width;
    capture.height = height;
    capture.pixels.assign(buffer->bits, buffer->bits + static_cast<size_t>(width) * height);
    ::ReleaseDC(nullptr, screen);
    return capture;
}

std::string HexColour(uint32_t rgb)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

}  // namespace TestSupport
