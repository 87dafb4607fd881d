#include "ImageDescription.h"

#include "AttributeValues.h"

namespace DuiLib {

namespace {

void ApplyKey(ImageDescription& image, const std::wstring& key, const std::wstring& value)
{
    if (key == L"file" || key == L"res") {
        image.file = value;
    } else if (key == L"restype") {
        image.resourceType = value;
    } else if (key == L"dest") {
        image.dest = ParseRect(value);
        image.hasDest = true;
    } else if (key == L"source") {
        image.source = ParseRect(value);
        image.hasSource = true;
    } else if (key == L"corner") {
        image.corner = ParseRect(value);
    } else if (key == L"mask") {
        image.mask = ParseColor(value);
        image.hasMask = true;
    } else if (key == L"fade") {
        int fade = ParseInt(value);
        image.fade = static_cast<BYTE>(fade < 0 ? 0 : (fade > 255 ? 255 : fade));
    } else if (key == L"hole") {
        image.hole = ParseBool(value);
    } else if (key == L"xtiled") {
        image.xTiled = ParseBool(value);
    } else if (key == L"ytiled") {
        image.yTiled = ParseBool(value);
    }
}

}  // namespace

ImageDescription ParseImageDescription(const std::wstring& text)
{
    ImageDescription image;
    if (text.find(L'=') == std::wstring::npos || text.find(L'\'') == std::wstring::npos) {
        image.file = text;
        return image;
    }
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) ++pos;
        size_t eq = text.find(L'=', pos);
        if (eq == std::wstring::npos) break;
        std::wstring key = text.substr(pos, eq - pos);
        while (!key.empty() && key.back() == L' ') key.pop_back();
        size_t open = text.find(L'\'', eq);
        if (open == std::wstring::npos) break;
        size_t close = text.find(L'\'', open + 1);
        if (close == std::wstring::npos) close = text.size();
        ApplyKey(image, key, text.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    return image;
}

}  // namespace DuiLib
