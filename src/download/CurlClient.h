#pragma once
// One resumable HTTP(S) download of one address into one file: probes the
// address for its effective address and length (kept across attempts), then
// appends to "<destination>.part" and renames it into place on success.

#include "CurlHandles.h"

#include <atomic>
#include <cstdint>
#include <string>

// (owner, download speed in bytes/s, reserved (0.0), percent done 0 to 100)
using CurlProgressFn = void (*)(void* owner, double speed, double reserved, double percent);

class CurlClient {
public:
    // Results of Start besides 0 (done) and libcurl's own positive codes.
    static constexpr int kPartFileFailed = -996;
    static constexpr int kNoHandle = -997;
    static constexpr int kNoLength = -998;
    static constexpr double kMinimumLength = 1048576.0;
    static constexpr long kConnectTimeoutSeconds = 60;
    // Redirect loops must end; 30 is libcurl's own later default.
    static constexpr long kMaxRedirects = 30;
    // A server that stops sending must not hold a transfer forever: under
    // 1 byte/s for this long aborts it (result 28) and the budget takes over.
    static constexpr long kLowSpeedSeconds = 30;

    CurlClient(std::wstring address, std::wstring destination, void* owner);
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::wstring PartPath(bool withSuffix) const;
    // One attempt; blocks for the whole transfer.
    int Start();

    static Utils::UniqueCurl Head(const std::string& address);
    static std::string GetRealUrl(CURL* handle);
    static double GetDownloadFileLength(CURL* handle);
    static std::string GetRealUrl_Str(const std::string& address);
    static double GetDownloadFileLength_Str(const std::string& address);
    static int ProgressCallback(void* client, curl_off_t downloadTotal, curl_off_t downloadNow,
                                curl_off_t uploadTotal, curl_off_t uploadNow);

    void SetProgressFunction(CurlProgressFn fn) { progress_ = fn; }
    void Stop() { stop_ = true; }
    bool Stopped() const { return stop_; }
    const std::string& EffectiveUrl() const { return effectiveUrl_; }
    double Length() const { return length_; }

private:
    void Probe(const std::string& address);
    int Transfer(const std::string& partPath);
    CURLcode SetTransferOptions(FILE* partFile, Utils::UniqueCurlList& headers);

    std::wstring address_;
    std::wstring destination_;
    void* owner_;
    Utils::UniqueCurl handle_;  // of the transfer in progress; read by ProgressCallback
    CurlProgressFn progress_ = nullptr;
    double length_ = -1.0;
    int64_t resumeOffset_ = -1;
    int64_t lastReportTime_ = 0;
    std::atomic<bool> stop_{false};
    std::string effectiveUrl_;
};
