#pragma once
// Serving the test thread's windows while a test waits for something to
// happen on the screen.

#include <functional>

namespace TestSupport {

// Serves messages until done says so, for at most rounds waits of 25 ms; false when it never did.
bool PumpUntil(const std::function<bool()>& done, int rounds = 200);
// Serves messages for about that long.
void PumpFor(int milliseconds);

}  // namespace TestSupport
