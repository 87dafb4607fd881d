// The child's output turned back into lines, whatever the reads cut, and the
// decoding of one line.
#include "install/OutputLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

struct Taken {
    Strings lines;
    Strings rest;  // the unfinished last line, when there is one
};

Taken Feed(const Strings& reads)
{
    OutputLines output;
    Taken taken;
    std::string line;
    for (const std::string& read : reads) {
        output.Append(read.data(), read.size());
        while (output.TakeLine(line)) taken.lines.push_back(line);
    }
    if (output.TakeRest(line)) taken.rest.push_back(line);
    return taken;
}

TEST(OutputLines, ReadsAreJoinedAndSplitAtLineFeeds)
{
    struct Row {
        const char* name;
        Strings reads;
        Strings lines;
        Strings rest;
    };
    const Row rows[] = {
        {"one read, two lines", {"a\nb\n"}, {"a", "b"}, {}},
        {"a line cut in three", {"Sta", "te=Fa", "il\n"}, {"State=Fail"}, {}},
        {"the cut right before the LF", {"Error=x", "\n"}, {"Error=x"}, {}},
        {"CR stays, a lone CR ends nothing", {"a\r", "\nb\rc\n"}, {"a\r", "b\rc"}, {}},
        {"empty lines are lines", {"\n\n"}, {"", ""}, {}},
        {"unfinished last line", {"Progress=0.5\nState=Su", "ccess"}, {"Progress=0.5"}, {"State=Success"}},
        {"a UTF-8 character cut", {"Message=\xE4", "\xB8\xAD\n"}, {"Message=\xE4\xB8\xAD"}, {}},
        {"a DBCS lead byte at the end of a read", {"Message=\xD6", "\xD0\n"}, {"Message=\xD6\xD0"}, {}},
        {"empty reads change nothing", {"", "a", "", "\n", ""}, {"a"}, {}},
        {"nothing", {}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Taken taken = Feed(row.reads);
        EXPECT_EQ(taken.lines, row.lines);
        EXPECT_EQ(taken.rest, row.rest);
    }
}

TEST(OutputLines, OverlongLineKeepsItsBeginningAndTheNextLineIsWhole)
{
    std::string head = "Message=" + std::string(OutputLines::kMaxLineBytes - 8, 'm');
    Taken taken = Feed({head.substr(0, 1000), head.substr(1000), std::string(100000, 'z'), "\nState=Fail\n"});
    EXPECT_EQ(taken.lines, (Strings{head, "State=Fail"}));
}

TEST(OutputLines, LineTextEndsAtItsFirstZeroByte)
{
    EXPECT_EQ(OutputLines::Decode(std::string("abc\0def", 7), 0), L"abc");
    EXPECT_EQ(OutputLines::Decode("", 0), L"");
    EXPECT_EQ(OutputLines::Decode("\xD6\xD0", 936), L"中");
    EXPECT_EQ(OutputLines::Decode("\xE4\xB8\xAD", 65001), L"中");
    EXPECT_EQ(OutputLines::Decode("abc", -5), L"") << "an unknown code page gives no text";
}

TEST(OutputLines, UsableCodePages)
{
    for (int32_t codePage : {0, 65001, 936, 1252, 437})
        EXPECT_TRUE(OutputLines::IsUsableCodePage(codePage)) << codePage;
    // Negative, unknown, and UTF-16, which is no byte-wise encoding.
    for (int32_t codePage : {-5, 12345, 1200, 99999})
        EXPECT_FALSE(OutputLines::IsUsableCodePage(codePage)) << codePage;
}

}  // namespace
