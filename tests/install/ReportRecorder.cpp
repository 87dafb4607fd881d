#include "ReportRecorder.h"

#include "Utils/TextConvert.h"

#include <algorithm>
#include <chrono>

namespace InstallTest {

void PrintTo(const Report& report, std::ostream* out)
{
    *out << "(" << report.code << ", " << report.progress << ", \"" << Utils::ToNarrow(report.text, 65001)
         << "\")";
}

StatusCallback ReportRecorder::Callback()
{
    return [this](int32_t code, double progress, const wchar_t* text) { Add(code, progress, text); };
}

void ReportRecorder::Add(int32_t code, double progress, const wchar_t* text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(Report{code, progress, text ? text : L"<null text>"});
    changed_.notify_all();
}

std::vector<Report> ReportRecorder::Reports() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

bool ReportRecorder::WaitFor(std::initializer_list<int32_t> codes, size_t from, unsigned long timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        if (reports_.size() <= from) return false;
        return std::any_of(reports_.begin() + static_cast<long>(from), reports_.end(), [&](const Report& r) {
            return std::find(codes.begin(), codes.end(), r.code) != codes.end();
        });
    });
}

}  // namespace InstallTest
