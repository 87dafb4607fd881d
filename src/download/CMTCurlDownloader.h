#pragma once
// The multi-part downloader: at most two byte ranges fetched in parallel into
// part files "<destination>_0" and "_1", appended into one file by a collector
// thread and checked against the digest in the effective address. Part files
// of a failed run survive (once progress was reported), so a repeated run
// continues each range where it stopped. Lengths and offsets are 64-bit.

#include "CDownloader.h"
#include "CurlHandles.h"
#include "WorkerSlot.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CMTCurlDownloader : public CDownloader {
public:
    struct DownloadPartNode {
        Utils::UniqueCFile file;  // open for appending while the range is transferred
        int64_t start = 0;        // absolute offset of the next byte to fetch
        int64_t end = -1;         // absolute offset of the range's last byte
        int64_t packageLength = 0;
        Utils::UniqueCurl handle;
        std::string address;
        std::wstring partPath;
        int status = kPending;
        std::atomic<uint64_t> received{0};  // bytes of this range in its part file
        // The answer of the current attempt, from its headers: only a 206 that
        // carries exactly the asked range may be written into the part file.
        long answerStatus = 0;
        std::string contentRange;
        bool rangeAccepted = false;
        bool rangeRefused = false;
    };

    // Node status besides 0 (complete) and libcurl's positive results.
    static constexpr int kPending = -1;
    // The part file cannot be opened, written, closed or merged.
    static constexpr int kPartFileFailed = -2;
    static constexpr int kNoThread = -3;  // the range's thread could not be started
    static constexpr int kWrongLength = -4;  // the assembled file is not as long as the package

    static constexpr int64_t kBytesPerPart = 10485760;
    static constexpr int kMostParts = 2;
    static constexpr int64_t kSmallestLength = 256;
    static constexpr unsigned kPartStartPauseMs = 100;
    static constexpr int kAttemptBudget = 12;
    static constexpr unsigned kPauseMs = 400;
    static constexpr unsigned kCollectorPollMs = 200;
    // A range that stops arriving is given up sooner than other requests: its
    // budget resumes it where it stopped.
    static constexpr long kRangeStallSeconds = 5;

    struct Range {
        int64_t first;
        int64_t last;  // inclusive
    };
    // One range below 20 MiB, two from there on; the last takes the remainder.
    static std::vector<Range> SplitIntoRanges(int64_t length);
    // "first-last" as libcurl's range option wants it.
    static std::string RangeText(int64_t first, int64_t last);
    // A Content-Range value ("bytes first-last/total", total may be "*") that
    // names exactly the asked range of a package of that length.
    static bool ContentRangeMatches(const std::string& value, int64_t first, int64_t last, int64_t total);

    // httpLibraryReady false (the HTTP library failed to initialise) makes
    // every run fail at its resolution.
    CMTCurlDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination,
                      bool httpLibraryReady = true);
    ~CMTCurlDownloader() override;

    void Start() override;

    // What ends a run: an optional 1006 notice, then the ending report.
    struct Ending {
        int code;
        double progress;
        const wchar_t* notice = nullptr;
    };

    static uint32_t Start_Down(void* downloader);
    bool getRealDownloadUrl(const std::string& address);
    int downloadExe(DownloadPartNode* node);
    void downloadThreadFun(DownloadPartNode* node);
    // Waits for the parts, then merges and checks the file.
    Ending waitForFinishThreadFun();

    static size_t WriteCallback(char* data, size_t size, size_t count, void* node);
    static size_t HeaderCallback(char* data, size_t size, size_t count, void* node);
    static int ProgressCallback(void* downloader, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    std::wstring PartPath(int index) const;

private:
    // The start worker's part of a run; ended is set once the run's ending
    // was sent or handed to the collector.
    void Start_Down(bool& ended);
    void BuildNodes();
    void StartParts();
    void StartPart(DownloadPartNode* node);
    void PartEnded();
    // The collector: waits, merges, checks and ends the run.
    void Collect();
    // Appends every further part to part 0 and moves it into place; 0, or the
    // status the run fails with. appended: the parts visited.
    int MergeParts(std::vector<std::wstring>& appended);
    bool DigestMismatch() const;
    bool ProgressWorthKeeping();
    Ending FailedPart(int status);
    void EndRun(bool& ended, const Ending& ending);
    void DeletePartFiles() const;
    void ReleaseNodes();
    int OnProgress();
    void Report(int code, double progress, const wchar_t* text) { owner_(code, progress, text); }
    // Detached threads count themselves so destruction can wait for them.
    void DetachedBegins();
    void DetachedEnds();

    std::vector<std::unique_ptr<DownloadPartNode>> parts_;
    StatusCallback owner_;
    std::wstring destination_;
    std::wstring address_;
    bool httpLibraryReady_;
    std::string effectiveUrl_;
    int64_t length_ = -1;
    std::string expectedDigest_;
    double lastReportedPercent_ = 0.0;
    int runningParts_ = 0;
    std::mutex lock_;
    int64_t lastReportTime_ = 0;
    bool retriedOnce_ = false;
    WorkerSlot worker_;

    std::atomic<bool> stop_{false};
    // Set when an exception escaped a part thread or a callback: the run ends
    // with 1004 without a repeat.
    std::atomic<bool> broken_{false};
    std::mutex detachedLock_;
    std::condition_variable detachedEnded_;
    int detached_ = 0;
};
