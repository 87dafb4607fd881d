#include "download/FileDigest.h"
#include "download/AddressText.h"
#include "download/Md5.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "Utils/TextConvert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(const uint8_t digest[16])
{
    std::string text;
    char hex[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(hex, sizeof(hex), "%02x", digest[i]);
        text += hex;
    }
    return text;
}

std::string Md5Of(const std::string& input)
{
    Utils::Md5 md5;
    md5.Update(input.data(), input.size());
    uint8_t digest[16];
    md5.Finish(digest);
    return Hex(digest);
}

struct Vector {
    const char* input;
    const char* digest;
};

// RFC 1321, appendix A.5.
const Vector kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, RfcVectors)
{
    for (const auto& v : kRfcVectors) EXPECT_EQ(v.digest, Md5Of(v.input)) << "input \"" << v.input << "\"";
}

TEST(Md5, FeedingInPiecesGivesTheSameDigest)
{
    std::string input;
    for (int i = 0; i < 1000; ++i) input += static_cast<char>(i * 7 + 3);
    std::string whole = Md5Of(input);
    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 127u, 999u}) {
        Utils::Md5 md5;
        for (size_t at = 0; at < input.size(); at += piece)
            md5.Update(input.data() + at, std::min(piece, input.size() - at));
        uint8_t digest[16];
        md5.Finish(digest);
        EXPECT_EQ(whole, Hex(digest)) << "pieces of " << piece;
    }
}

// Lengths around the padding boundary (55, 56, 64 bytes) and the file
// reader's 1024-byte buffer, against digests from the host's md5sum. Every
// result is 32 lower-case hexadecimal characters (the addresses carry the
// digest in lower case).
TEST(FileMd5, FilesOfBoundaryLengths)
{
    struct Case {
        size_t length;
        const char* digest;
    };
    // Contents: "a" repeated.
    const Case cases[] = {
        {0, "d41d8cd98f00b204e9800998ecf8427e"},    {55, "ef1772b6dff9a122358552954ad0df65"},
        {56, "3b0c8ac703f828b04c6c197006d17218"},   {64, "014842d480b571495a4a0363793f7367"},
        {1024, "c9a34cfc85d982698c6ac89f76071abd"}, {1025, "ae187e1febee2a150b64849c32d566ca"},
    };
    TestSupport::TestTempDir dir;
    for (const auto& c : cases) {
        std::wstring path = dir / (L"a" + std::to_wstring(c.length) + L".bin");
        ASSERT_TRUE(TestSupport::WriteBytes(path, std::string(c.length, 'a')));
        EXPECT_EQ(c.digest, Utils::GetFileMd5(path)) << c.length << " bytes";
        EXPECT_EQ(c.digest, Utils::GetFileMd5(Utils::ToAnsiPath(path))) << c.length << " bytes, ANSI name";
    }
}

TEST(FileMd5, UnreadableNamesGiveEmptyText)
{
    TestSupport::TestTempDir dir;
    EXPECT_EQ("", Utils::GetFileMd5(""));
    EXPECT_EQ("", Utils::GetFileMd5(std::wstring()));
    EXPECT_EQ("", Utils::GetFileMd5(Utils::ToAnsiPath(dir / L"missing.bin")));
    EXPECT_EQ("", Utils::GetFileMd5(dir / L"missing.bin"));
}

// A name the ANSI code page cannot spell is lost in its ANSI form; the
// UTF-16 form the downloaders use reads the file.
TEST(FileMd5, NameOutsideTheAnsiCodePage)
{
    TestSupport::TestTempDir dir;
    const std::wstring path = dir / L"\u5B89\u88C5 \u041F\U0001F4E6.bin";
    ASSERT_NE(path, Utils::ToWide(Utils::ToAnsiPath(path), 0)) << "the ANSI code page spells the name";
    ASSERT_TRUE(TestSupport::WriteBytes(path, "abc"));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Utils::GetFileMd5(path));
    EXPECT_EQ("", Utils::GetFileMd5(Utils::ToAnsiPath(path)));
}

TEST(UrlMd5, SecondToLastSegment)
{
    struct Case {
        const char* address;
        const char* expected;
    };
    const Case cases[] = {
        {"http://h/software/0123456789abcdef0123456789abcdef/p.exe", "0123456789abcdef0123456789abcdef"},
        {"http://dl.example.com/p.exe", "dl.example.com"},
        {"http://h/a/b/", "b"},
        {"", ""},
        {"no-slash", ""},
        {"/only", ""},
        {"a/b", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, Utils::GetUrlMd5(c.address)) << c.address;
}

}  // namespace
