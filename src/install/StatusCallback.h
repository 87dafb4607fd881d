#pragma once
// How every stage of the install pipeline reports: (code, progress, text).
// The text is never null (empty when there is none) and lives only for the
// call; calls arrive on the reporting stage's thread, so a receiver copies
// what it keeps and must not block.

#include <cstdint>
#include <functional>

using StatusCallback = std::function<void(int32_t code, double progress, const wchar_t* text)>;
