#pragma once
// Runs a downloader the way the sequencer does (a 1005 report starts it again
// from inside the report) and keeps every report for the assertions.

#include "download/CDownloader.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace DownloadTest {

struct Report {
    int code;
    double progress;
    std::wstring text;
};

class ReportRecorder {
public:
    using Factory = std::function<std::unique_ptr<CDownloader>(const StatusCallback&)>;

    explicit ReportRecorder(bool restartOnRetry = true) : restartOnRetry_(restartOnRetry) {}

    StatusCallback Callback();
    // Makes the downloader, starts it and waits for the ending report (1003,
    // 1004, or 1005 when not restarting).
    void Run(const Factory& factory);
    // Starts the same downloader once more and waits for that run's end.
    void RunAgain();
    void Release() { downloader_.reset(); }

    std::vector<Report> Reports() const;
    std::vector<int> Codes() const;  // without the 1002 reports
    std::vector<double> Progress() const;  // the 1002 values

private:
    void Receive(int code, double progress, const wchar_t* text);
    void WaitForEnd();

    bool restartOnRetry_;
    std::unique_ptr<CDownloader> downloader_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    int endings_ = 0;
    int awaited_ = 0;
    std::vector<Report> reports_;
};

// A factory for Run: the downloader of that class for the address and destination.
template <typename Downloader>
ReportRecorder::Factory Make(const std::wstring& address, const std::wstring& destination)
{
    return [=](const StatusCallback& callback) {
        return std::make_unique<Downloader>(callback, address.c_str(), destination.c_str());
    };
}

// Runs work on a thread of its own and waits at most that long for it: a
// call that hangs fails its test instead of the whole run. work must own all
// it touches (it keeps running when the wait gives up).
bool FinishesWithin(std::chrono::seconds limit, std::function<void()> work);

// A case description as a test name (letters and digits, the rest "_").
std::string CaseName(const char* description);

// The shared shape of every run: 1001 first with 1.0 and no text, 1002
// fractions within [0, 1] that never fall, one ending report, a 1006 only
// directly before an ending report.
void ExpectWellFormedRuns(const std::vector<Report>& reports);

}  // namespace DownloadTest
