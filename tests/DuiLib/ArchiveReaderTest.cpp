// The 7z reader on its own: name look-ups in the real skin archive, what
// decoding costs, and how broken input ends.

#include <gtest/gtest.h>

#include <cstring>

#include "ArchiveFixtures.h"
#include "DuiLib/SkinArchive.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

using namespace DuiLib;
using ArchiveTests::EmbeddedSkinBytes;
using ArchiveTests::FixturePath;

namespace {

class RealSkinArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        bytes_ = EmbeddedSkinBytes();
        ASSERT_FALSE(bytes_.empty()) << "the test executable carries no ZIPRES 147";
        archive_ = OpenFromMemory(bytes_.data(), bytes_.size());
        ASSERT_TRUE(archive_);
    }

    std::string bytes_;
    std::unique_ptr<SkinArchive> archive_;
};

struct Lookup {
    const wchar_t* asked;
    const wchar_t* stored;  // null: the look-up fails
};

TEST_F(RealSkinArchive, NamesMatchWithoutCaseAndWithEitherSlash)
{
    const Lookup cases[] = {
        {L"mainWnd.xml", L"mainWnd.xml"},
        {L"MainWnd.xml", L"mainWnd.xml"},
        {L"MAINWND.XML", L"mainWnd.xml"},
        {L"ExitTipWnd.xml", L"exitTipWnd.xml"},
        {L"res/mainWnd/bg1.png", L"res/mainWnd/bg1.png"},
        {L"res\\mainWnd\\bg1.png", L"res/mainWnd/bg1.png"},
        {L"RES\\MAINWND\\INSTALLBTNANIMATE\\020.png", L"res/mainWnd/installBtnAnimate/020.png"},
        {L"res\\mainWnd/customeBtn2.png", L"res/mainWnd/customeBtn2.png"},
        // images the skins name but the set does not have
        {L"res\\common\\minbtn4.png", nullptr},
        {L"res\\common\\closebtn4.png", nullptr},
        {L"res\\common\\closebtnM_4.png", nullptr},
        {L"res\\mainWnd\\installPrg3.png", nullptr},
        // folders are not entries
        {L"res", nullptr},
        {L"res/common", nullptr},
        {L"res/mainWnd/installBtnAnimate", nullptr},
        {L"res/common/", nullptr},
        // no translation file ships
        {L"language.json", nullptr},
        // only whole names match; the resource path is never part of a name
        {L"mainWnd.xm", nullptr},
        {L"mainWnd.xml ", nullptr},
        {L"/mainWnd.xml", nullptr},
        {L"skin\\mainWnd.xml", nullptr},
        {L"bg1.png", nullptr},
        {L"", nullptr},
    };
    for (const Lookup& c : cases) {
        SCOPED_TRACE(testing::Message() << "asked for '" << std::string(c.asked, c.asked + wcslen(c.asked)) << "'");
        uint32_t index = 0xFFFF;
        uint64_t size = 0;
        bool found = FindEntry(archive_.get(), c.asked, index, size);
        ASSERT_EQ(c.stored != nullptr, found);
        if (!found) continue;
        const SkinArchive::Entry* entry = nullptr;
        for (const auto& e : archive_->Entries())
            if (e.index == index) entry = &e;
        ASSERT_NE(nullptr, entry);
        EXPECT_EQ(std::wstring(c.stored), entry->name);
        EXPECT_EQ(entry->data.size(), size);
    }
}

TEST_F(RealSkinArchive, EntriesAreFilesInArchiveOrderWithFullContent)
{
    const auto& entries = archive_->Entries();
    ASSERT_EQ(65u, entries.size());
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_LT(entries[i - 1].index, entries[i].index);
    for (const auto& e : entries) {
        EXPECT_EQ(e.name.size() + 1, e.nameLength) << "name length counts the terminator";
        EXPECT_EQ(std::wstring::npos, e.name.find(L'\\')) << "stored names use '/'";
        EXPECT_EQ(e.data.size(), e.size);
        EXPECT_GT(e.size, 0u);
    }
    uint32_t index = 0;
    uint64_t size = 0;
    ASSERT_TRUE(FindEntry(archive_.get(), L"res\\mainWnd\\logo.png", index, size));
    std::string copy(static_cast<std::size_t>(size), '\0');
    ASSERT_TRUE(ExtractEntry(archive_.get(), index, copy.data()));
    EXPECT_EQ(0, copy.compare(0, 8, "\x89PNG\r\n\x1a\n"));
}

TEST_F(RealSkinArchive, TheSolidBlockIsDecodedOnceForAllFiles)
{
    EXPECT_EQ(1u, archive_->BlockDecodes());
    unsigned before = TotalBlockDecodes();
    auto second = OpenFromMemory(bytes_.data(), bytes_.size());
    ASSERT_TRUE(second);
    EXPECT_EQ(before + 1, TotalBlockDecodes());
}

TEST_F(RealSkinArchive, ExtractAndFindRefuseWhatTheyCannotServe)
{
    uint32_t index = 0;
    uint64_t size = 0;
    EXPECT_FALSE(FindEntry(nullptr, L"mainWnd.xml", index, size));
    char buffer[16];
    EXPECT_FALSE(ExtractEntry(nullptr, 0, buffer));
    EXPECT_FALSE(ExtractEntry(archive_.get(), 100000, buffer));
    ASSERT_TRUE(FindEntry(archive_.get(), L"mainWnd.xml", index, size));
    EXPECT_FALSE(ExtractEntry(archive_.get(), index, nullptr));
    CloseArchive(archive_);
    EXPECT_FALSE(archive_);
    EXPECT_FALSE(FindEntry(archive_.get(), L"mainWnd.xml", index, size));
}

TEST(ArchiveReader, BytesWithoutADatabaseOpenNothing)
{
    std::string real = EmbeddedSkinBytes();
    ASSERT_GT(real.size(), 64u);
    std::string truncated = real.substr(0, real.size() / 2);  // the header sits at the end
    std::string badSignature = real;
    badSignature[0] = 'X';
    std::string headerless = real.substr(0, 32);
    const std::string text = "this is not an archive";
    EXPECT_FALSE(OpenFromMemory(text.data(), text.size()));
    EXPECT_FALSE(OpenFromMemory(truncated.data(), truncated.size()));
    EXPECT_FALSE(OpenFromMemory(badSignature.data(), badSignature.size()));
    EXPECT_FALSE(OpenFromMemory(headerless.data(), headerless.size()));
    EXPECT_FALSE(OpenFromMemory(nullptr, 0));
    EXPECT_FALSE(OpenFromMemory(real.data(), 0));
}

TEST(ArchiveReader, AFileThatFailsToDecodeEndsTheArchiveThere)
{
    auto intact = OpenFromFile(FixturePath(L"blocks.7z"));
    ASSERT_TRUE(intact);
    ASSERT_EQ(3u, intact->Entries().size());
    EXPECT_EQ(3u, intact->BlockDecodes()) << "each stored file is its own block";

    auto broken = OpenFromFile(FixturePath(L"broken-block.7z"));
    ASSERT_TRUE(broken);
    std::size_t damaged = 0;
    while (damaged < 3 && intact->Entries()[damaged].name != L"two.txt") ++damaged;
    ASSERT_LT(damaged, 3u);
    ASSERT_EQ(damaged, broken->Entries().size()) << "files before the damaged one stay, it and later ones go";
    for (std::size_t i = 0; i < damaged; ++i) {
        EXPECT_EQ(intact->Entries()[i].name, broken->Entries()[i].name);
        EXPECT_EQ(intact->Entries()[i].data, broken->Entries()[i].data);
    }
    uint32_t index = 0;
    uint64_t size = 0;
    for (std::size_t i = damaged; i < 3; ++i)
        EXPECT_FALSE(FindEntry(broken.get(), intact->Entries()[i].name, index, size));
}

TEST(ArchiveReader, OpenFromFileFailsOnlyWhenTheFileCannotBeOpened)
{
    auto limits = OpenFromFile(FixturePath(L"limits.7z"));
    ASSERT_TRUE(limits);
    EXPECT_EQ(5u, limits->Entries().size());
    uint32_t index = 0;
    uint64_t size = 0;
    EXPECT_TRUE(FindEntry(limits.get(), L"SUB\\deep.xml", index, size));

    EXPECT_FALSE(OpenFromFile(FixturePath(L"no-such-archive.7z")));
    auto notArchive = OpenFromFile(FixturePath(L"not-an-archive.7z"));
    ASSERT_TRUE(notArchive);
    EXPECT_TRUE(notArchive->Entries().empty());

    TestSupport::TestTempDir dir;
    const std::wstring empty = dir / L"empty.7z";
    ASSERT_TRUE(TestSupport::WriteBytes(empty, ""));
    auto emptyArchive = OpenFromFile(empty);
    ASSERT_TRUE(emptyArchive);
    EXPECT_TRUE(emptyArchive->Entries().empty());
}

}  // namespace
