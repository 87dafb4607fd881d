#include "ReportRecorder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <memory>
#include <thread>

namespace DownloadTest {

StatusCallback ReportRecorder::Callback()
{
    return [this](int code, double progress, const wchar_t* text) { Receive(code, progress, text); };
}

void ReportRecorder::Receive(int code, double progress, const wchar_t* text)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        reports_.push_back({code, progress, text});
    }
    if (code == DL_CODE_RETRY && restartOnRetry_) {
        downloader_->Start();
        return;
    }
    if (code == DL_CODE_SUCCESS || code == DL_CODE_FAIL || code == DL_CODE_RETRY) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++endings_;
        ended_.notify_all();
    }
}

void ReportRecorder::WaitForEnd()
{
    std::unique_lock<std::mutex> lock(mutex_);
    ++awaited_;
    // Generous: a hung downloader fails the test instead of the whole run.
    bool ended = ended_.wait_for(lock, std::chrono::minutes(3), [this] { return endings_ >= awaited_; });
    ASSERT_TRUE(ended) << "the download did not end";
}

void ReportRecorder::Run(const Factory& factory)
{
    downloader_ = factory(Callback());
    downloader_->Start();
    WaitForEnd();
}

void ReportRecorder::RunAgain()
{
    downloader_->Start();
    WaitForEnd();
}

std::vector<Report> ReportRecorder::Reports() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::vector<int> ReportRecorder::Codes() const
{
    std::vector<int> codes;
    for (const auto& report : Reports())
        if (report.code != DL_CODE_PROGRESS) codes.push_back(report.code);
    return codes;
}

std::vector<double> ReportRecorder::Progress() const
{
    std::vector<double> values;
    for (const auto& report : Reports())
        if (report.code == DL_CODE_PROGRESS) values.push_back(report.progress);
    return values;
}

bool FinishesWithin(std::chrono::seconds limit, std::function<void()> work)
{
    struct Done {
        std::mutex mutex;
        std::condition_variable signal;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    std::thread([done, work] {
        work();
        std::lock_guard<std::mutex> lock(done->mutex);
        done->done = true;
        done->signal.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(done->mutex);
    return done->signal.wait_for(lock, limit, [&] { return done->done; });
}

std::string CaseName(const char* description)
{
    std::string name;
    for (const char* c = description; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

void ExpectWellFormedRuns(const std::vector<Report>& reports)
{
    ASSERT_FALSE(reports.empty());
    bool inRun = false;
    double lastFraction = 0.0;
    for (size_t i = 0; i < reports.size(); ++i) {
        const Report& r = reports[i];
        bool ending = r.code == DL_CODE_SUCCESS || r.code == DL_CODE_FAIL || r.code == DL_CODE_RETRY;
        SCOPED_TRACE("report " + std::to_string(i) + " code " + std::to_string(r.code));
        if (r.code == DL_CODE_START) {
            EXPECT_FALSE(inRun) << "a run began before the last one ended";
            EXPECT_EQ(1.0, r.progress);
            EXPECT_EQ(L"", r.text);
            inRun = true;
            lastFraction = 0.0;
            continue;
        }
        EXPECT_TRUE(inRun) << "a report outside a run";
        if (r.code == DL_CODE_PROGRESS) {
            EXPECT_GE(r.progress, 0.0);
            EXPECT_LE(r.progress, 1.0);
            EXPECT_GE(r.progress, lastFraction) << "progress fell";
            EXPECT_EQ(L"", r.text);
            lastFraction = r.progress;
        } else if (r.code == DL_CODE_MD5_NOTICE) {
            ASSERT_LT(i + 1, reports.size());
            int next = reports[i + 1].code;
            EXPECT_TRUE(next == DL_CODE_SUCCESS || next == DL_CODE_FAIL || next == DL_CODE_RETRY);
        } else if (ending) {
            inRun = false;
        } else {
            ADD_FAILURE() << "unknown code";
        }
    }
    EXPECT_FALSE(inRun) << "the last run has no ending report";
}

}  // namespace DownloadTest
