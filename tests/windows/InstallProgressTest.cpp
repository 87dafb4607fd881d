// The percent and the text of the progress page, as a user reads them.

#include "windows/InstallProgress.h"
#include "windows/ProgressText.h"

#include <gtest/gtest.h>

#include <limits>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(InstallProgress, DownloadThenInstallWithTheDefaultScale)
{
    InstallProgress progress(0.7);
    EXPECT_EQ(35, progress.DownloadPercent(0.5));
    EXPECT_EQ(70, progress.DownloadPercent(1.0));
    EXPECT_EQ(74, progress.InstallPercent(0.0));  // 0.7 + 0.3 * 0.15 = 0.745
    EXPECT_EQ(85, progress.InstallPercent(0.5));
    EXPECT_EQ(89, progress.InstallPercent(0.6));  // the fraction rises to 0.65
}

TEST(InstallProgress, SilentPackageCreepsUpAndStopsShortOfTheEnd)
{
    InstallProgress progress(0.7);
    std::vector<int> shown;
    for (int i = 0; i < 9; ++i) shown.push_back(progress.InstallPercent(0.0));
    EXPECT_EQ((std::vector<int>{74, 78, 83, 88, 92, 97, 98, 98, 98}), shown);
}

TEST(InstallProgress, FractionCarriesIntoTheNextAttempt)
{
    InstallProgress progress(0.7);
    EXPECT_EQ(97, progress.InstallPercent(0.9));
    EXPECT_EQ(98, progress.InstallPercent(0.1));  // 0.95 after the step; the low report changes nothing
    EXPECT_EQ(35, progress.DownloadPercent(0.5));  // a retry's download
    EXPECT_EQ(98, progress.InstallPercent(0.0));
}

TEST(InstallProgress, ReportsThatAreNotFractionsKeepTheBarOnItsScale)
{
    // Each case shows 35 first (half the download at the default scale).
    struct Case {
        const char* name;
        double scale;
        double report;
        int expected;
    } cases[] = {
        {"download beyond the end", 0.7, 3.0, 100},
        {"negative download", 0.7, -0.5, 0},
        {"NaN download keeps the last percent", 0.7, kNaN, 35},
        {"infinite download keeps the last percent", 0.7, kInf, 35},
        {"scale above 1 counts as the default", 1.5, 1.0, 70},
        {"NaN scale counts as the default", kNaN, 1.0, 70},
    };
    for (const Case& c : cases) {
        InstallProgress progress(c.scale);
        ASSERT_EQ(35, progress.DownloadPercent(0.5)) << c.name;
        EXPECT_EQ(c.expected, progress.DownloadPercent(c.report)) << c.name;
    }
    InstallProgress install(0.7);
    EXPECT_EQ(100, install.InstallPercent(7.0));
    EXPECT_EQ(98, install.InstallPercent(kNaN));  // only the step applies
    InstallProgress noDownloadShare(0.0);
    EXPECT_EQ(0, noDownloadShare.DownloadPercent(1.0));
    EXPECT_EQ(15, noDownloadShare.InstallPercent(0.0));
}

TEST(ProgressText, BuiltInTextAsksForPatienceAfterSixtySeconds)
{
    EXPECT_EQ(L"正在安装中:35%，请稍候...", ProgressText(L"", 35, true, 59.9));
    EXPECT_EQ(L"正在安装中:35%，请稍候...", ProgressText(L"", 35, true, 60.0));
    EXPECT_EQ(L"正在安装中:35%，请耐心等待...", ProgressText(L"", 35, true, 60.001));
    EXPECT_EQ(L"正在安装中:0%，请稍候...", ProgressText(L"", 0, false, 1000.0));
}

TEST(ProgressText, SkinFormatIsUsedOnlyWithOneIntegerConversion)
{
    struct Case {
        const wchar_t* format;
        const wchar_t* expected;  // nullptr: the built-in text
    } cases[] = {
        {L"%d", L"42"},
        {L"%d%%", L"42%"},
        {L"进度 %03d %%", L"进度 042 %"},
        {L"%-5i|", L"42   |"},
        {L"%.3u", L"042"},
        {L"%%d", nullptr},         // no conversion at all
        {L"%d %d", nullptr},       // the second would read a missing argument
        {L"%s", nullptr},          // would read a string pointer
        {L"%n%d", nullptr},        // would write to memory
        {L"%*d", nullptr},         // the width would come from an argument
        {L"%ld", nullptr},         // length modifiers are not accepted
        {L"%x", nullptr},
        {L"100%", nullptr},        // a lone percent sign at the end
        {L"%5", nullptr},
    };
    for (const Case& c : cases) {
        std::wstring builtIn = ProgressText(L"", 42, false, 0.0);
        EXPECT_EQ(c.expected ? std::wstring(c.expected) : builtIn, ProgressText(c.format, 42, false, 0.0))
            << std::string(c.format, c.format + std::wcslen(c.format));
    }
}

TEST(ProgressText, LongResultsAreCutAt249Characters)
{
    std::wstring longFormat(300, L'x');
    longFormat += L"%d";
    EXPECT_EQ(std::wstring(249, L'x'), ProgressText(longFormat, 7, false, 0.0));

    // A huge width is bounded too.
    std::wstring wide = ProgressText(L"%400d", 7, false, 0.0);
    EXPECT_LE(wide.size(), 249u);

    // A character outside the basic plane is never cut in half.
    std::wstring format(248, L'y');
    format += L"\U0001F600%d";
    std::wstring text = ProgressText(format, 7, false, 0.0);
    EXPECT_EQ(std::wstring(248, L'y'), text);
}

}  // namespace
