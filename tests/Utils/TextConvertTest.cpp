#include "Utils/TextConvert.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConvert, Utf8RoundTripKeepsChineseText)
{
    const std::wstring text = L"正在安装中 Lumora";
    std::string utf8 = Utils::ToNarrow(text, 65001);
    EXPECT_EQ(utf8, "\xE6\xAD\xA3\xE5\x9C\xA8\xE5\xAE\x89\xE8\xA3\x85\xE4\xB8\xAD Lumora");
    EXPECT_EQ(Utils::ToWide(utf8, 65001), text);
}

TEST(TextConvert, EmptyAndAnsiText)
{
    EXPECT_EQ(Utils::ToWide("", 65001), L"");
    EXPECT_EQ(Utils::ToNarrow(L"", 0), "");
    EXPECT_EQ(Utils::ToWide("C:\\Program Files\\x", 0), L"C:\\Program Files\\x");
    EXPECT_EQ(Utils::ToNarrow(L"abc", 0), "abc");
}

TEST(TextConvert, TextEndsAtAnEmbeddedNul)
{
    EXPECT_EQ(Utils::ToWide(std::string("ab\0cd", 5), 65001), L"ab");
}

TEST(UrlFormEncode, EncodesByTheFormRules)
{
    struct Row {
        const wchar_t* in;
        const wchar_t* out;
    } rows[] = {
        {L"a b", L"a+b"},
        {L"a+b", L"a+b"},  // a plus already there stays
        {L"中", L"%E4%B8%AD"},
        {L"http://h/p?x=1&y=%20", L"http://h/p?x=1&y=%20"},
        {L"tab\there", L"tab%09here"},
        {L"~!", L"~!"},
        {L"", L""},
    };
    for (const auto& row : rows) EXPECT_EQ(Utils::UrlFormEncode(row.in), row.out) << row.in;
}

}  // namespace
