#pragma once
// What the toolkit draws for a laid-out control tree, as a picture to hold
// against the screen.

#include "ScreenCapture.h"

#include <windows.h>

namespace DuiLib {
class PaintManager;
}

namespace TestSupport {

// The tree of manager painted at size on white, inside clip.
ScreenCapture DrawTree(DuiLib::PaintManager& manager, SIZE size, const RECT& clip);

}  // namespace TestSupport
