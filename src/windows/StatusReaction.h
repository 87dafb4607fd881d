#pragma once
// Which reaction of the main window follows which status report, and the
// decisions after the failure prompts: plain functions the window applies.

#include <cstdint>
#include <string>

enum class StatusReaction {
    None,
    StartDownloadClock,    // 1001
    ShowDownloadProgress,  // 1002
    DownloadFailed,        // 1004
    WriteAnalytics,        // 2001
    ShowInstallProgress,   // 2002
    InstallSucceeded,      // 2003
    InstallFailed,         // 2004
    RememberInstallDir,    // 3000
    RememberProductExe,    // 3001
    RememberUninstallEntry,  // 3003
    RememberStartUrl,      // 3004
    RememberStartupStyle,  // 3005
    RememberTopShowDelay,  // 3007
    RememberCloseDelay,    // 3008
    ShowPackageMessage,    // 3009
    UninstallFailed,       // 5004, 5005
};

StatusReaction ReactionFor(int code);

// The package's start style (3005) as the window keeps it: 0, 1 or 2; any
// other report counts as 0, do not start.
int32_t StartupStyleFrom(double progress);
// A delay report (3007, 3008) in milliseconds; a value that is not a number
// or lies outside 0..0xFFFFFFFF keeps the current delay.
uint32_t DelayFrom(double progress, uint32_t current);

// After the network prompt of a failed download.
struct DownloadFailureFollowUp {
    bool closeWindow = false;
    bool retry = false;  // start the attempt again the way it was started (from startPage)
};
DownloadFailureFollowUp AfterNetworkPrompt(int promptAnswer, bool installedCopyPresent);

// The install failure prompt's text: the package's own, or a plain one.
std::wstring InstallFailureText(const std::wstring& reported);
// After an install failure the bar goes back to 0 only when it had come far.
bool ResetsBarAfterInstallFailure(int barValue);
