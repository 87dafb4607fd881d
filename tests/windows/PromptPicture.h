#pragma once
// One prompt skin as the toolkit lays it out and draws it without a window:
// where its buttons are, and whether a screenshot of a prompt shows the
// caption and text a caller passed.

#include "DuiLib/ScreenCapture.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>

namespace InstallerTest {

class PromptPicture {
public:
    explicit PromptPicture(const std::wstring& skinFile);

    SIZE Size() const { return size_; }
    // The centre of a named control, in window coordinates.
    std::optional<POINT> Centre(const std::wstring& name) const;
    // True when the prompt's text and caption labels show exactly these
    // texts as the toolkit draws them (none: the skin's own).
    bool ShowsTexts(const TestSupport::ScreenCapture& prompt, const std::optional<std::wstring>& text,
                    const std::optional<std::wstring>& caption) const;

private:
    TestSupport::ScreenCapture Draw(const std::optional<std::wstring>& text,
                                    const std::optional<std::wstring>& caption) const;

    std::wstring skinFile_;
    SIZE size_{0, 0};
    std::map<std::wstring, RECT> boxes_;
};

}  // namespace InstallerTest
