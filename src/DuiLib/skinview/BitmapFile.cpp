#include "BitmapFile.h"

#include "Utils/UniqueResource.h"

#include <windows.h>

namespace DuiLib {

bool WriteTopDownBmp(const std::wstring& path, const uint32_t* pixels, int width, int height)
{
    if (!pixels || width <= 0 || height <= 0) return false;
    const DWORD pixelBytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;  // negative: the first row is the top one
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + pixelBytes;

    Utils::UniqueFile out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    return ::WriteFile(out.Get(), &file, sizeof(file), &written, nullptr) && written == sizeof(file) &&
           ::WriteFile(out.Get(), &info, sizeof(info), &written, nullptr) && written == sizeof(info) &&
           ::WriteFile(out.Get(), pixels, pixelBytes, &written, nullptr) && written == pixelBytes;
}

}  // namespace DuiLib
