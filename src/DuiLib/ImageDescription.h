#pragma once
// An image description as the skins write it: a bare archive path or
// key='value' pairs (file, restype, dest, source, corner, mask, fade, hole,
// xtiled, ytiled).

#include <windows.h>

#include <cstdint>
#include <string>

namespace DuiLib {

struct ImageDescription {
    std::wstring file;
    std::wstring resourceType;
    RECT dest{0, 0, 0, 0};
    bool hasDest = false;
    RECT source{0, 0, 0, 0};
    bool hasSource = false;
    RECT corner{0, 0, 0, 0};
    uint32_t mask = 0;
    bool hasMask = false;
    BYTE fade = 255;
    bool hole = false;
    bool xTiled = false;
    bool yTiled = false;
};

ImageDescription ParseImageDescription(const std::wstring& text);

}  // namespace DuiLib
