// The process-wide resource state as windows use it: skin files and images
// from disk or from the archive, the file-size limits and their errors, and
// the archive taken once from the executable's resource.

#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/SkinArchive.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

using namespace DuiLib;
using ArchiveTests::EmbeddedSkinBytes;
using ArchiveTests::FixturePath;
using ArchiveTests::kSkinResourceId;

namespace {

constexpr std::size_t kLimit = 4194304;

class ResourceStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetResourceState();
        SetArchiveFormat7z(true);
    }
    void TearDown() override { ResetResourceState(); }

    static void UseArchiveBytes(const std::wstring& fixture)
    {
        std::string bytes = TestSupport::ReadBytes(FixturePath(fixture));
        ASSERT_FALSE(bytes.empty());
        SetArchiveFromMemory(bytes.data(), bytes.size());
    }
};

struct SkinRead {
    const wchar_t* name;
    std::size_t size;     // expected text size on success; 0: any
    const wchar_t* error; // null: the read succeeds
};

void ExpectReads(const SkinRead* cases, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const SkinRead& c = cases[i];
        SCOPED_TRACE(testing::Message() << "reading " << std::string(c.name, c.name + wcslen(c.name)));
        std::string text = "stale";
        std::wstring error;
        bool ok = ReadSkinFile(c.name, text, error);
        if (c.error) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(std::wstring(c.error), error);
            EXPECT_LT(error.size(), 100u);
        } else {
            EXPECT_TRUE(ok) << std::string(error.begin(), error.end());
            if (c.size != 0) {
                EXPECT_EQ(c.size, text.size());
            }
            EXPECT_EQ(0, text.compare(0, 1, "<")) << "the byte-order mark, if any, is gone";
        }
    }
}

TEST_F(ResourceStateTest, ResourcePathGetsOneTrailingSeparator)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L""},
        {L"C:\\skins", L"C:\\skins\\"},
        {L"C:\\skins\\", L"C:\\skins\\"},
        {L"C:/skins/", L"C:/skins/"},
        {L"skins/x", L"skins/x\\"},
    };
    for (const auto& c : cases) {
        SetResourcePath(c.first);
        EXPECT_EQ(std::wstring(c.second), GetResourcePath());
    }
}

TEST_F(ResourceStateTest, SkinFilesFromDiskHonourTheLimits)
{
    SetResourcePath(FixturePath(L"disk"));
    ASSERT_TRUE(GetArchiveName().empty());
    const SkinRead cases[] = {
        {L"exact.xml", kLimit, nullptr},
        {L"over.xml", 0, L"File too large"},
        {L"empty.xml", 0, L"File is empty"},
        {L"missing.xml", 0, L"Error opening file"},
        {L"sub\\deep.xml", 35, nullptr},
        {L"bom.xml", 46, nullptr},
    };
    ExpectReads(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST_F(ResourceStateTest, SkinFilesFromTheArchiveHonourTheLimits)
{
    UseArchiveBytes(L"limits.7z");
    EXPECT_EQ(std::wstring(L"membuffer"), GetArchiveName());
    EXPECT_TRUE(IsArchiveCached());
    const SkinRead cases[] = {
        {L"exact.xml", kLimit, nullptr},
        {L"EXACT.XML", kLimit, nullptr},
        {L"over.xml", 0, L"File too large"},
        {L"empty.xml", 0, L"File is empty"},
        {L"missing.xml", 0, L"Could not find ziped file"},
        {L"sub", 0, L"Could not find ziped file"},
        {L"sub\\deep.xml", 35, nullptr},
        {L"bom.xml", 46, nullptr},
    };
    ExpectReads(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST_F(ResourceStateTest, AnArchiveFileIsReadPerLookupOrKeptOpen)
{
    SetResourcePath(FixturePath(L""));
    for (bool cached : {false, true}) {
        SetArchiveFile(L"limits.7z", cached);
        EXPECT_EQ(cached, GetCachedArchive() != nullptr);
        const SkinRead cases[] = {
            {L"exact.xml", kLimit, nullptr},
            {L"over.xml", 0, L"File too large"},
            {L"missing.xml", 0, L"Could not find ziped file"},
        };
        ExpectReads(cases, sizeof(cases) / sizeof(cases[0]));
    }
    SetArchiveFile(L"no-such.7z", false);
    const SkinRead absent[] = {{L"exact.xml", 0, L"Error opening zip file"}};
    ExpectReads(absent, 1);
}

TEST_F(ResourceStateTest, UnreadableArchiveBytesFailEveryLookup)
{
    UseArchiveBytes(L"not-an-archive.7z");
    EXPECT_EQ(std::wstring(L"membuffer"), GetArchiveName());
    EXPECT_EQ(nullptr, GetCachedArchive());
    const SkinRead cases[] = {{L"mainWnd.xml", 0, L"Error opening zip file"}};
    ExpectReads(cases, 1);
    std::string bytes;
    EXPECT_FALSE(LoadImageBytes(L"res\\mainWnd\\bg1.png", L"", bytes));
}

TEST_F(ResourceStateTest, WithoutThe7zFormatNoArchiveOpens)
{
    SetArchiveFormat7z(false);
    UseArchiveBytes(L"limits.7z");
    const SkinRead cases[] = {{L"exact.xml", 0, L"Error opening zip file"}};
    ExpectReads(cases, 1);
}

TEST_F(ResourceStateTest, TheResourceIsDecodedOnceForEveryWindow)
{
    HMODULE self = ::GetModuleHandleW(nullptr);
    unsigned before = TotalBlockDecodes();
    ASSERT_TRUE(LoadArchiveResource(self, kSkinResourceId));
    const SkinArchive* first = GetCachedArchive();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(65u, first->Entries().size());
    EXPECT_EQ(before + 1, TotalBlockDecodes());
    EXPECT_EQ(TestSupport::BinDir() + L"\\", GetResourcePath()) << "an empty resource path becomes the program folder";

    // the second window: the same archive, nothing decoded again
    ASSERT_TRUE(LoadArchiveResource(self, kSkinResourceId));
    std::string bytes = EmbeddedSkinBytes();
    SetArchiveFromMemory(bytes.data(), bytes.size());
    EXPECT_EQ(first, GetCachedArchive());
    EXPECT_EQ(before + 1, TotalBlockDecodes());

    const SkinRead cases[] = {
        {L"MainWnd.xml", 0, nullptr},
        {L"ExitTipWnd.xml", 0, nullptr},
        {L"language.json", 0, L"Could not find ziped file"},
    };
    ExpectReads(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST_F(ResourceStateTest, ASkinFolderFollowsTheProgramFolder)
{
    ASSERT_TRUE(LoadArchiveResource(::GetModuleHandleW(nullptr), kSkinResourceId, L"skin\\"));
    EXPECT_EQ(TestSupport::BinDir() + L"\\skin\\", GetResourcePath());
    ResetResourceState();
    SetResourcePath(L"C:\\given");
    ASSERT_TRUE(LoadArchiveResource(::GetModuleHandleW(nullptr), kSkinResourceId, L"skin\\"));
    EXPECT_EQ(std::wstring(L"C:\\given\\"), GetResourcePath());
}

TEST_F(ResourceStateTest, MissingOrEmptyResourcesLeaveTheWindowWithoutSkin)
{
    HMODULE self = ::GetModuleHandleW(nullptr);
    EXPECT_FALSE(LoadArchiveResource(self, 999));
    EXPECT_FALSE(LoadArchiveResource(self, 148));  // an empty ZIPRES
    EXPECT_TRUE(GetArchiveName().empty());
    EXPECT_EQ(nullptr, GetCachedArchive());

    EXPECT_TRUE(LoadArchiveResource(self, 149));  // present, but no archive
    EXPECT_EQ(nullptr, GetCachedArchive());
    std::string text;
    std::wstring error;
    EXPECT_FALSE(ReadSkinFile(L"mainWnd.xml", text, error));
    EXPECT_EQ(std::wstring(L"Error opening zip file"), error);
}

TEST_F(ResourceStateTest, ImagesComeFromTheArchiveThenFromThePlainPath)
{
    ASSERT_TRUE(LoadArchiveResource(::GetModuleHandleW(nullptr), kSkinResourceId));
    std::string bytes;
    ASSERT_TRUE(LoadImageBytes(L"res\\mainWnd\\bg1.png", L"", bytes));
    EXPECT_EQ(0, bytes.compare(0, 4, "\x89PNG"));

    // an image the archive lacks is tried as a path relative to the current folder
    TestSupport::TestTempDir dir;
    ASSERT_TRUE(::CreateDirectoryW((dir / L"res").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((dir / L"res\\common").c_str(), nullptr));
    ASSERT_TRUE(TestSupport::WriteBytes(dir / L"res\\common\\minbtn4.png", "loose file"));
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(dir.Path().c_str()));
    bool found = LoadImageBytes(L"res\\common\\minbtn4.png", L"", bytes);
    std::string loose = bytes;
    bool absent = LoadImageBytes(L"res\\common\\closebtn4.png", L"", bytes);
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(found);
    EXPECT_EQ("loose file", loose);
    EXPECT_FALSE(absent);
    EXPECT_TRUE(bytes.empty());
}

TEST_F(ResourceStateTest, ImagesFromDiskAndFromTypedResources)
{
    SetResourcePath(FixturePath(L"disk"));
    std::string fromDisk;
    ASSERT_TRUE(LoadImageBytes(L"sub\\deep.xml", L"", fromDisk));
    EXPECT_EQ(TestSupport::ReadBytes(FixturePath(L"disk\\sub\\deep.xml")), fromDisk);

    ASSERT_TRUE(LoadArchiveResource(::GetModuleHandleW(nullptr), kSkinResourceId));
    std::string fromArchive;
    ASSERT_TRUE(LoadImageBytes(L"res/mainWnd/Cb2.png", L"", fromArchive));
    std::string fromResource;
    ASSERT_TRUE(LoadImageBytes(L"CHECKIMAGE", L"PNG", fromResource));
    EXPECT_EQ(fromArchive, fromResource);
    EXPECT_FALSE(LoadImageBytes(L"NOSUCHIMAGE", L"PNG", fromResource));
    // colour images are made by the toolkit, never read
    EXPECT_FALSE(LoadImageBytes(L"FF0000FF", L"*COLOR*", fromResource));
    EXPECT_FALSE(LoadImageBytes(L"", L"", fromResource));
}

}  // namespace
