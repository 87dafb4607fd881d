// The pieces both protocol parsers share: line splitting, trimming, text
// values and the two number scans.
#include "install/OutputProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::wstring>;

TEST(OutputProtocol, LinesSplitAtLineFeedKeepingCarriageReturns)
{
    EXPECT_EQ(OutputProtocol::SplitLines(L"a\nb"), (Lines{L"a", L"b"}));
    EXPECT_EQ(OutputProtocol::SplitLines(L"a\r\nb\r\n"), (Lines{L"a\r", L"b\r"}));
    EXPECT_EQ(OutputProtocol::SplitLines(L"a\rb"), (Lines{L"a\rb"})) << "a lone CR does not end a line";
    EXPECT_EQ(OutputProtocol::SplitLines(L"\n\nc"), (Lines{L"", L"", L"c"}));
    EXPECT_EQ(OutputProtocol::SplitLines(L""), Lines{});
}

TEST(OutputProtocol, TrimRemovesOnlyTheSixBlanks)
{
    EXPECT_EQ(OutputProtocol::Trim(L" \t\n\v\f\rSuccess \t\n\v\f\r"), L"Success");
    EXPECT_EQ(OutputProtocol::Trim(L"\u00A0Success\u3000"), L"\u00A0Success\u3000");
    EXPECT_EQ(OutputProtocol::Trim(L" \r "), L"");
    EXPECT_EQ(OutputProtocol::Trim(L"a b"), L"a b");
}

TEST(OutputProtocol, TextValuesAreCutTo771Characters)
{
    EXPECT_EQ(OutputProtocol::TextValue(std::wstring(771, L'x')).size(), 771u);
    EXPECT_EQ(OutputProtocol::TextValue(std::wstring(772, L'x')).size(), 771u);
    EXPECT_EQ(OutputProtocol::TextValue(L" a\r"), L" a\r");
    // The keyword is cut before it is trimmed, as the value buffer holds 771.
    EXPECT_EQ(OutputProtocol::KeywordValue(std::wstring(771, L' ') + L"Success"), L"");
}

TEST(OutputProtocol, IntegersScanLikePercentD)
{
    struct Row {
        const wchar_t* text;
        bool scans;
        int32_t value;
        size_t consumed;
    };
    const Row rows[] = {
        {L"42", true, 42, 2},         {L"  -7ms", true, -7, 4},
        {L"+3", true, 3, 2},          {L"2147483647", true, 2147483647, 10},
        {L"-2147483648", true, INT32_MIN, 11}, {L"2147483648", false, 0, 0},
        {L"-", false, 0, 0},          {L"x1", false, 0, 0},
        {L"", false, 0, 0},           {L"\u3000" L"5", false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.text)));
        const wchar_t* cursor = row.text;
        int32_t value = 0;
        EXPECT_EQ(OutputProtocol::ScanInt(cursor, value), row.scans);
        if (!row.scans) continue;
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(static_cast<size_t>(cursor - row.text), row.consumed);
    }
}

TEST(OutputProtocol, DecimalsScanLikePercentLf)
{
    struct Row {
        const wchar_t* text;
        bool scans;
        double value;
    };
    const Row rows[] = {
        {L"0.5", true, 0.5},   {L" 1", true, 1.0},     {L".25", true, 0.25}, {L"1.", true, 1.0},
        {L"-0.5", true, -0.5}, {L"2e-1x", true, 0.2},  {L"3e", true, 3.0},   {L"1,5", true, 1.0},
        {L".", false, 0.0},    {L"inf", false, 0.0},   {L"nan", false, 0.0}, {L"0x10", true, 0.0},
        {L"1e400", false, 0.0}, {L"", false, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.text)));
        const wchar_t* cursor = row.text;
        double value = -1.0;
        EXPECT_EQ(OutputProtocol::ScanDouble(cursor, value), row.scans);
        if (row.scans) {
            EXPECT_DOUBLE_EQ(value, row.value);
        }
    }
}

}  // namespace
