// Which reaction follows which report, and the decisions after the prompts.

#include "download/StatusCode.h"
#include "windows/StatusReaction.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(StatusReaction, EveryCodeHasItsReaction)
{
    struct Case {
        int code;
        StatusReaction reaction;
    } cases[] = {
        {1001, StatusReaction::StartDownloadClock},   {1002, StatusReaction::ShowDownloadProgress},
        {1003, StatusReaction::None},                 {1004, StatusReaction::DownloadFailed},
        {1005, StatusReaction::None},                 {1006, StatusReaction::None},
        {2001, StatusReaction::WriteAnalytics},       {2002, StatusReaction::ShowInstallProgress},
        {2003, StatusReaction::InstallSucceeded},     {2004, StatusReaction::InstallFailed},
        {3000, StatusReaction::RememberInstallDir},   {3001, StatusReaction::RememberProductExe},
        {3002, StatusReaction::None},                 {3003, StatusReaction::RememberUninstallEntry},
        {3004, StatusReaction::RememberStartUrl},     {3005, StatusReaction::RememberStartupStyle},
        {3006, StatusReaction::None},                 {3007, StatusReaction::RememberTopShowDelay},
        {3008, StatusReaction::RememberCloseDelay},   {3009, StatusReaction::ShowPackageMessage},
        {5002, StatusReaction::None},                 {5003, StatusReaction::None},
        {5004, StatusReaction::UninstallFailed},      {5005, StatusReaction::UninstallFailed},
        {0, StatusReaction::None},                    {-1, StatusReaction::None},
    };
    for (const Case& c : cases) EXPECT_EQ(c.reaction, ReactionFor(c.code)) << c.code;
}

TEST(StatusReaction, ReportedNumbersBecomeSettingsOnlyWhenTheyFit)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(0, StartupStyleFrom(0.0));
    EXPECT_EQ(1, StartupStyleFrom(1.0));
    EXPECT_EQ(2, StartupStyleFrom(2.0));
    EXPECT_EQ(0, StartupStyleFrom(3.0));
    EXPECT_EQ(0, StartupStyleFrom(nan));

    EXPECT_EQ(2000u, DelayFrom(2000.0, 3000));
    EXPECT_EQ(0u, DelayFrom(0.0, 3000));
    EXPECT_EQ(0xFFFFFFFFu, DelayFrom(4294967295.0, 3000));
    EXPECT_EQ(3000u, DelayFrom(4294967296.0, 3000));
    EXPECT_EQ(3000u, DelayFrom(-1.0, 3000));
    EXPECT_EQ(3000u, DelayFrom(nan, 3000));
}

TEST(StatusReaction, NetworkPromptAnswers)
{
    struct Case {
        int answer;
        bool installedCopy;
        bool close;
        bool retry;
    } cases[] = {
        {0, false, false, true},  {0, true, false, true},    // "重新安装"
        {1, false, false, false}, {1, true, true, false},    // "稍后再试"
        {2, false, false, false}, {2, true, false, false},   // its close button
    };
    for (const Case& c : cases) {
        DownloadFailureFollowUp next = AfterNetworkPrompt(c.answer, c.installedCopy);
        EXPECT_EQ(c.close, next.closeWindow) << c.answer << c.installedCopy;
        EXPECT_EQ(c.retry, next.retry) << c.answer << c.installedCopy;
    }
}

TEST(StatusReaction, InstallFailureTextAndBar)
{
    EXPECT_EQ(L"安装失败", InstallFailureText(L""));
    EXPECT_EQ(L"安装包安装失败", InstallFailureText(L"安装包安装失败"));
    EXPECT_FALSE(ResetsBarAfterInstallFailure(69));
    EXPECT_TRUE(ResetsBarAfterInstallFailure(70));
    EXPECT_TRUE(ResetsBarAfterInstallFailure(100));
}

}  // namespace
