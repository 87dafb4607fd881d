#pragma once
// Writes 32-bit pixels as a BMP file, rows top-down, bytes unchanged.

#include <cstdint>
#include <string>

namespace DuiLib {

bool WriteTopDownBmp(const std::wstring& path, const uint32_t* pixels, int width, int height);

}  // namespace DuiLib
