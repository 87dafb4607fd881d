#pragma once
// Collects the (code, progress, text) reports of a driver from its worker
// thread, for assertions on the whole sequence.

#include "download/StatusCallback.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
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
    // report with one of the codes arrived at or after index from; true when
    // one did.
    bool WaitFor(std::initializer_list<int32_t> codes, size_t from = 0, unsigned long timeoutMs = 60000) const;

private:
    void Add(int32_t code, double progress, const wchar_t* text);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Report> reports_;
};

}  // namespace InstallTest
