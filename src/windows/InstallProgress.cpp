#include "InstallProgress.h"

#include <algorithm>
#include <cmath>

namespace {

const double kDefaultScale = 0.7;
const double kInstallStep = 0.15;
const double kInstallCeiling = 0.95;

bool IsFraction(double value) { return std::isfinite(value) && value >= 0.0 && value <= 1.0; }

}  // namespace

InstallProgress::InstallProgress(double downloadScale) : scale_(IsFraction(downloadScale) ? downloadScale : kDefaultScale)
{
}

int InstallProgress::DownloadPercent(double fraction)
{
    if (!std::isfinite(fraction)) return lastPercent_;
    return Remember(fraction * scale_ * 100.0);
}

int InstallProgress::InstallPercent(double fraction)
{
    installFraction_ = std::min(installFraction_ + kInstallStep, kInstallCeiling);
    // A report beyond 1 would carry the bar past the end; one below what was
    // shown must not pull it back.
    if (std::isfinite(fraction) && fraction > installFraction_) installFraction_ = std::min(fraction, 1.0);
    return Remember((scale_ + (1.0 - scale_) * installFraction_) * 100.0);
}

int InstallProgress::Remember(double percent)
{
    // The integer part, kept on the bar's scale whatever a report claims.
    lastPercent_ = static_cast<int>(std::clamp(percent, 0.0, 100.0));
    return lastPercent_;
}
