#pragma once
// The percent the progress page shows: the download weighted by the
// DownloadScale setting, then the install stage smoothed so the bar keeps
// moving even when the package reports little. Plain arithmetic, no window,
// in IEEE double precision step by step (the library is built for SSE2, not
// the x87 unit's wider intermediates), so 0.5 * 0.7 * 100 is 35 and the
// second silent install report shows 78.

class InstallProgress {
public:
    // A scale outside 0..1 or not finite counts as 0.7, the setting's default.
    explicit InstallProgress(double downloadScale);

    // A download report's fraction (1002) as a percent. A fraction that is not
    // a number leaves the last percent shown.
    int DownloadPercent(double fraction);
    // An install report's fraction (2002): the smoothed fraction rises by 0.15
    // per report up to 0.95, or to the report's own fraction when that is
    // higher. It is never reset: a later attempt continues from it.
    int InstallPercent(double fraction);

    double InstallFraction() const { return installFraction_; }
    int LastPercent() const { return lastPercent_; }

private:
    int Remember(double percent);

    double scale_;
    double installFraction_ = 0.0;
    int lastPercent_ = 0;
};
