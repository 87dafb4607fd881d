#pragma once
// The files the shipped skin set must hold: names as stored in the archive,
// pixel sizes, and which pictures are palette images.

#include <string>
#include <vector>

namespace SkinTests {

struct InventoryImage {
    std::wstring name;
    int width;
    int height;
    bool palette;  // palette PNG; every other picture is 8-bit RGBA
};

const std::vector<std::wstring>& InventoryXmlFiles();
const std::vector<InventoryImage>& InventoryImages();

}  // namespace SkinTests
