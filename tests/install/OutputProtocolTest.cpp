// The pieces both protocol parsers share: line splitting, trimming, text
// values, the two number scans and the delivery of reports up to the final word.
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

TEST(OutputProtocol, DeliveryStopsAtTheFinalWordAndKeepsItsReport)
{
    std::vector<OutputProtocol::LineOutcome> outcomes(4);
    OutputProtocol::SetReport(outcomes[0], 2002, 0.5);
    // outcomes[1] matched a key and reports nothing
    OutputProtocol::SetReport(outcomes[2], 2004, 1000.0, L"disk full");
    outcomes[2].result = OutputProtocol::kResultFailure;
    OutputProtocol::SetReport(outcomes[3], 2003, 0.0);
    outcomes[3].result = OutputProtocol::kResultSuccess;

    std::vector<int32_t> sent;
    OutputProtocol::LineOutcome finalWord;
    auto report = [&](int32_t code, double, const wchar_t*) { sent.push_back(code); };
    EXPECT_TRUE(OutputProtocol::DeliverUntilFinal(outcomes, report, finalWord));
    EXPECT_EQ(sent, std::vector<int32_t>{2002}) << "the final word is kept, not sent, and nothing after it";
    EXPECT_EQ(finalWord.code, 2004);
    EXPECT_EQ(finalWord.progress, 1000.0);
    EXPECT_EQ(finalWord.text, L"disk full");

    sent.clear();
    EXPECT_FALSE(OutputProtocol::DeliverUntilFinal(std::vector<OutputProtocol::LineOutcome>(outcomes.begin(),
                                                                                             outcomes.begin() + 2),
                                                   report, finalWord));
    EXPECT_EQ(sent, std::vector<int32_t>{2002});
}

}  // namespace
