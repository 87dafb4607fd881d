#pragma once
// Pixels read back from the screen, as a user would see them, and saved as PNG.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct ScreenCapture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top

    uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFF000000u;
        return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu;
    }
    size_t DistinctColours() const;
    bool SavePng(const std::wstring& path) const;
};

// The screen inside rc (screen coordinates).
ScreenCapture CaptureScreen(const RECT& rc);
std::string HexColour(uint32_t rgb);

}  // namespace TestSupport
