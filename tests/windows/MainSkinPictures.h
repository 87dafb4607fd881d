#pragma once
// The main window's skin as the toolkit lays it out and draws it without any
// window, page by page, dressed as the window dresses each page. A screenshot
// of the real window is compared with these pictures to tell which page a
// user sees and which percent the progress page shows.

#include "DuiLib/ScreenCapture.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace DuiLib {
class PaintManager;
}

namespace InstallerTest {

class MainSkinPictures {
public:
    static constexpr int kPages = 4;

    // Built once for the test program (needs the embedded skin archive).
    static const MainSkinPictures& Get();

    bool Ready() const { return ready_; }
    // The box of a named control on that page, in window coordinates; all -1
    // when the page does not show it.
    RECT Box(int page, const std::wstring& name) const;
    POINT Centre(int page, const std::wstring& name) const;

    // Pixels of the window's picture that differ from the page as drawn,
    // outside the parts the window changes on that page (the folder text,
    // the animation, the progress text and bar).
    int DifferingPixels(const TestSupport::ScreenCapture& window, int page) const;
    // The page whose picture the window's picture matches; -1 when none does.
    int PageShown(const TestSupport::ScreenCapture& window) const;
    // The percent both the progress text and the bar show; -1 when they do
    // not show one percent as drawn.
    int PercentShown(const TestSupport::ScreenCapture& window) const;

private:
    MainSkinPictures();

    struct Page {
        TestSupport::ScreenCapture picture;
        std::map<std::wstring, RECT> boxes;
        std::vector<RECT> changing;  // not compared
    };
    bool ready_ = false;
    std::vector<Page> pages_;
    RECT barBox_{};
    RECT labelBox_{};
    std::vector<TestSupport::ScreenCapture> percentPictures_;  // page 2 at 0..100 %
};

// Pixels inside box (window coordinates) that differ between the pictures.
int DifferingPixels(const TestSupport::ScreenCapture& a, const TestSupport::ScreenCapture& b, const RECT& box);

}  // namespace InstallerTest
