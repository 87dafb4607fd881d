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
        Utils::UniqueCurl handle;
        std::string address;
        std::string partPath;  // ANSI
        int status = kPending;
        std::atomic<uint64_t> received{0};  // bytes of this range in its part file
    };

    // Node status besides 0 (complete) and libcurl's positive results.
    static constexpr int kPending = -1;
    static constexpr int kPartFileFailed = -2;

    static constexpr int64_t kBytesPerPart = 10485760;
    static constexpr int kMostParts = 2;
    static constexpr int64_t kSmallestLength = 256;
    static constexpr unsigned kPartStartPauseMs = 100;
    static constexpr int kAttemptBudget = 12;
    static constexpr unsigned kPauseMs = 400;
    static constexpr unsigned kCollectorPollMs = 200;

    // The libcurl settings of the resolution request and of every range, kept
    // in one place so they can be checked without a transfer.
    struct TransferSettings {
        long connectTimeoutSeconds;
        long maxRedirects;  // a redirect loop must end
        long verifyPeer;    // certificate and host checks stay on: the digest
        long verifyHost;    // comes from the same server as the package
        long lowSpeedLimit;
        long lowSpeedTimeSeconds;
    };
    static const TransferSettings kResolutionSettings;
    static const TransferSettings kRangeSettings;

    struct Range {
        int64_t first;
        int64_t last;  // inclusive
    };
    // One range below 20 MiB, two from there on; the last takes the remainder.
    static std::vector<Range> SplitIntoRanges(int64_t length);
    // "first-last" as libcurl's range option wants it.
    static std::string RangeText(int64_t first, int64_t last);

    // httpLibraryReady false (the HTTP library failed to initialise) makes
    // every run fail at its resolution.
    CMTCurlDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination,
                      bool httpLibraryReady = true);
    ~CMTCurlDownloader() override;

    void Start() override;

    static uint32_t Start_Down(void* downloader);
    bool getRealDownloadUrl(const std::string& address);
    int downloadExe(DownloadPartNode* node);
    void downloadThreadFun(DownloadPartNode* node);
    void waitForFinishThreadFun();

    static size_t WriteCallback(char* data, size_t size, size_t count, void* node);
    static int ProgressCallback(void* downloader, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    std::string PartPath(int index) const;

private:
    void BuildNodes();
    void StartParts();
    // Appends every further part to part 0 and renames it into place; false
    // when a part could not be read or written. appended: the parts visited.
    bool MergeParts(std::vector<std::string>& appended);
    bool DigestMismatch() const;
    bool ProgressWorthKeeping();
    void EndWithFailure(int status);
    void DeletePartFiles() const;
    void ReleaseNodes();
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
    std::mutex detachedLock_;
    std::condition_variable detachedEnded_;
    int detached_ = 0;
};
