#pragma once
// The receiver every stage (downloaders, install drivers, sequencer) reports
// to: (code, progress, text). The text is never null and lives only for the
// call; receivers copy what they keep, may be called on any thread and must
// not block.

#include "StatusCode.h"

#include <functional>

using StatusCallback = std::function<void(int code, double progress, const wchar_t* text)>;
