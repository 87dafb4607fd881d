// The real archive embedded by the build holds exactly the skin set, and every
// picture decodes at its size and in its format.

#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <set>

#include "ArchiveFixtures.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/SkinArchive.h"
#include "SevenZipHeader.h"
#include "SkinInventory.h"

using namespace DuiLib;
using SkinTests::InventoryImage;

namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

class EmbeddedSkinSet : public ArchiveTests::EmbeddedSkinSuite {
protected:
    static const SkinArchive* Archive() { return GetCachedArchive(); }
};

TEST_F(EmbeddedSkinSet, HoldsTheSixtyFiveFilesAndNothingElse)
{
    ASSERT_NE(nullptr, Archive());
    std::set<std::wstring> expected(SkinTests::InventoryXmlFiles().begin(), SkinTests::InventoryXmlFiles().end());
    for (const InventoryImage& image : SkinTests::InventoryImages()) expected.insert(image.name);
    ASSERT_EQ(65u, expected.size());

    std::set<std::wstring> stored;
    for (const auto& entry : Archive()->Entries()) stored.insert(entry.name);
    for (const auto& name : expected) EXPECT_TRUE(stored.count(name)) << "missing " << Narrow(name);
    for (const auto& name : stored) EXPECT_TRUE(expected.count(name)) << "unexpected " << Narrow(name);
    EXPECT_EQ(65u, Archive()->Entries().size());
    EXPECT_EQ(1u, Archive()->BlockDecodes()) << "one solid block";
}

TEST_F(EmbeddedSkinSet, TheResourceIsASolidLzma2SevenZip)
{
    SkinTests::SevenZipHeader header;
    std::string error;
    ASSERT_TRUE(SkinTests::SevenZipHeader::Read(ArchiveTests::EmbeddedSkinBytes(), header, error)) << error;
    EXPECT_EQ(0, header.versionMajor);
    EXPECT_GE(header.versionMinor, 3);
    // The header itself is packed, with LZMA.
    EXPECT_TRUE(header.encodedHeader);
    ASSERT_EQ(1u, header.headerFolders.size());
    ASSERT_EQ(1u, header.headerFolders[0].coders.size());
    EXPECT_EQ(std::string("\x03\x01\x01", 3), header.headerFolders[0].coders[0].method);
    // One solid block, one coder: LZMA2, no filter, no encryption.
    ASSERT_EQ(1u, header.folders.size());
    const SkinTests::SevenZipFolder& block = header.folders[0];
    ASSERT_EQ(1u, block.coders.size());
    EXPECT_EQ(std::string("\x21"), block.coders[0].method);
    ASSERT_EQ(1u, block.coders[0].properties.size());
    // The build asks for 1536 KiB; 7-Zip shrinks a dictionary larger than the
    // block to the smallest size that still holds all of it.
    uint64_t dictionary = SkinTests::Lzma2DictionarySize(static_cast<unsigned char>(block.coders[0].properties[0]));
    EXPECT_GE(dictionary, block.unpackSize);
    EXPECT_LE(dictionary, 1536u * 1024u);
    EXPECT_EQ(1u, block.packedStreams);
    EXPECT_EQ(0u, block.bindPairs);
    // 65 files and the 5 folders res, res/common, res/MessageBoxWnd, res/mainWnd and its animation.
    EXPECT_EQ(70u, header.entries);
    EXPECT_EQ(5u, header.emptyStreams);
    // The block holds every file's bytes.
    uint64_t total = 0;
    for (const auto& entry : Archive()->Entries()) total += entry.size;
    EXPECT_EQ(total, block.unpackSize);
}

TEST(EmbeddedResources, ArchiveAndIconAreUsEnglishResourcesOfTheProgram)
{
    HMODULE self = ::GetModuleHandleW(nullptr);
    const WORD usEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    ASSERT_EQ(1033, usEnglish);
    EXPECT_NE(nullptr, ::FindResourceExW(self, L"ZIPRES", MAKEINTRESOURCEW(147), usEnglish));
    EXPECT_NE(nullptr, ::FindResourceExW(self, RT_GROUP_ICON, MAKEINTRESOURCEW(145), usEnglish));
    HICON icon = static_cast<HICON>(::LoadImageW(self, MAKEINTRESOURCEW(145), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(nullptr, icon);
    if (icon) ::DestroyIcon(icon);
}

class GdiplusSession {
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession()
    {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    bool Ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

struct DecodedImage {
    bool ok = false;
    int width = 0;
    int height = 0;
    Gdiplus::PixelFormat format = 0;
};

DecodedImage Decode(const std::string& bytes)
{
    DecodedImage result;
    IStream* stream = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (!stream) return result;
    {
        Gdiplus::Bitmap bitmap(stream, FALSE);
        if (bitmap.GetLastStatus() == Gdiplus::Ok) {
            result.ok = true;
            result.width = static_cast<int>(bitmap.GetWidth());
            result.height = static_cast<int>(bitmap.GetHeight());
            result.format = bitmap.GetPixelFormat();
        }
    }
    stream->Release();
    return result;
}

// The PNG header's bit depth and colour type (6: RGBA, 3: palette).
std::pair<int, int> PngDepthAndColourType(const std::string& bytes)
{
    if (bytes.size() < 26 || bytes.compare(12, 4, "IHDR") != 0) return {-1, -1};
    return {static_cast<unsigned char>(bytes[24]), static_cast<unsigned char>(bytes[25])};
}

TEST_F(EmbeddedSkinSet, EveryPictureDecodesAtItsSizeAndFormat)
{
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());
    for (const InventoryImage& image : SkinTests::InventoryImages()) {
        SCOPED_TRACE(Narrow(image.name));
        std::string bytes;
        ASSERT_TRUE(LoadImageBytes(image.name, L"", bytes));
        auto header = PngDepthAndColourType(bytes);
        EXPECT_EQ(8, header.first);
        EXPECT_EQ(image.palette ? 3 : 6, header.second);
        DecodedImage decoded = Decode(bytes);
        ASSERT_TRUE(decoded.ok);
        EXPECT_EQ(image.width, decoded.width);
        EXPECT_EQ(image.height, decoded.height);
        // the decoder may expand a palette with transparency to 32 bits; the
        // header above already tells the two kinds apart
        if (!image.palette) {
            EXPECT_TRUE(Gdiplus::IsAlphaPixelFormat(decoded.format));
        }
    }
}

TEST_F(EmbeddedSkinSet, TheFourBackgroundsAreTheSamePicture)
{
    std::string first;
    ASSERT_TRUE(LoadImageBytes(L"res\\mainWnd\\bg1.png", L"", first));
    for (const wchar_t* other : {L"res\\mainWnd\\bg2.png", L"res\\mainWnd\\bg3.png", L"res\\mainWnd\\bg4.png"}) {
        std::string bytes;
        ASSERT_TRUE(LoadImageBytes(other, L"", bytes));
        EXPECT_EQ(first, bytes);
    }
}

}  // namespace
