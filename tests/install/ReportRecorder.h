#pragma once
// Collects the (code, progress, text) reports of a driver from its worker
// thread, for assertions on the whole sequence.

#include "install/StatusCallback.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace InstallTest {

struct Report {
    int32_t code;
    double progress;
    std::wstring text;
    bool operator==(const Report& other) const
    {
        return code == other.code && progress == other.progress && text == other.text;
    }
};
void PrintTo(const Report& report, std::ostream* out);

class ReportRecorder {
public:
    StatusCallback Callback();
    std::vector<Report> Reports() const;
    // Waits (bounded, so a hang fails instead of stalling the run) until a
    // report with the code arrived; true when it did.
    bool WaitFor(int32_t code, unsigned long timeoutMs = 60000) const;

private:
    void Add(int32_t code, double progress, const wchar_t* text);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Report> reports_;
};

}  // namespace InstallTest
