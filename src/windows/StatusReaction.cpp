#include "StatusReaction.h"

#include "download/StatusCode.h"

#include <cmath>

StatusReaction ReactionFor(int code)
{
    switch (code) {
    case DL_CODE_START: return StatusReaction::StartDownloadClock;
    case DL_CODE_PROGRESS: return StatusReaction::ShowDownloadProgress;
    case DL_CODE_FAIL: return StatusReaction::DownloadFailed;
    case IST_CODE_START: return StatusReaction::WriteAnalytics;
    case IST_CODE_PROGRESS: return StatusReaction::ShowInstallProgress;
    case IST_CODE_SUCCESS: return StatusReaction::InstallSucceeded;
    case IST_CODE_FAIL: return StatusReaction::InstallFailed;
    case PKG_INSTALL_PATH: return StatusReaction::RememberInstallDir;
    case PKG_EXE_PATH: return StatusReaction::RememberProductExe;
    case PKG_UNINSTALL_ENTRY: return StatusReaction::RememberUninstallEntry;
    case PKG_START_URL: return StatusReaction::RememberStartUrl;
    case PKG_STARTUP_STYLE: return StatusReaction::RememberStartupStyle;
    case PKG_TOP_SHOW_DELAY: return StatusReaction::RememberTopShowDelay;
    case PKG_CLOSE_DELAY: return StatusReaction::RememberCloseDelay;
    case PKG_MESSAGE: return StatusReaction::ShowPackageMessage;
    case UNIST_CODE_FAIL:
    case UNIST_CODE_ERROR: return StatusReaction::UninstallFailed;
    default: return StatusReaction::None;  // 1003, 1005, 1006, 3002, 5002, 5003 and strangers
    }
}

int32_t StartupStyleFrom(double progress)
{
    if (progress == 1.0) return 1;
    if (progress == 2.0) return 2;
    return 0;
}

uint32_t DelayFrom(double progress, uint32_t current)
{
    if (!std::isfinite(progress) || progress < 0.0 || progress > 4294967295.0) return current;
    return static_cast<uint32_t>(progress);
}

DownloadFailureFollowUp AfterNetworkPrompt(int promptAnswer, bool installedCopyPresent)
{
    DownloadFailureFollowUp next;
    if (promptAnswer == 0) next.retry = true;                            // "重新安装"
    if (promptAnswer == 1) next.closeWindow = installedCopyPresent;      // "稍后再试"
    return next;                                                         // 2: its close button
}

std::wstring InstallFailureText(const std::wstring& reported) { return reported.empty() ? L"安装失败" : reported; }

bool ResetsBarAfterInstallFailure(int barValue) { return barValue >= 70; }
