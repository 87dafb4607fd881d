#pragma once
// One resumable HTTP(S) download of one address into one file: probes the
// address for its effective address and length (kept across attempts), then
// appends to "<destination>.part" and moves it into place once it holds
// exactly the probed length.

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
    // The finished partial file could not be flushed, closed or moved into place.
    static constexpr int kFinishFailed = -995;
    // The finished partial file is not as long as the probes said.
    static constexpr int kWrongLength = -994;
    static constexpr double kMinimumLength = 1048576.0;

    CurlClient(std::wstring address, std::wstring destination, void* owner);
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::wstring PartPath(bool withSuffix) const;
    // One attempt; blocks for the whole transfer.
    int Start();

    // The header-only probes; each ends soon after Stop.
    Utils::UniqueCurl Head(const std::string& address);
    static std::string GetRealUrl(CURL* handle);
    static double GetDownloadFileLength(CURL* handle);
    std::string GetRealUrl_Str(const std::string& address);
    double GetDownloadFileLength_Str(const std::string& address);
    static int ProgressCallback(void* client, curl_off_t downloadTotal, curl_off_t downloadNow,
                                curl_off_t uploadTotal, curl_off_t uploadNow);

    void SetProgressFunction(CurlProgressFn fn) { progress_ = fn; }
    void Stop() { stop_ = true; }
    bool Stopped() const { return stop_; }
    // An exception escaped the progress function: the run must end.
    bool Broken() const { return broken_; }
    const std::string& EffectiveUrl() const { return effectiveUrl_; }
    double Length() const { return length_; }

private:
    bool SetHeaderRequestOptions(CURL* handle, const std::string& address, bool follow);
    void Probe(const std::string& address);
    int Transfer(const std::wstring& partPath);
    int Finish(const std::wstring& partPath);
    CURLcode SetTransferOptions(FILE* partFile, Utils::UniqueCurlList& headers);
    void ReportProgress(curl_off_t downloadTotal, curl_off_t downloadNow);

    std::wstring address_;
    std::wstring destination_;
    void* owner_;
    Utils::UniqueCurl handle_;  // of the transfer in progress; read by ProgressCallback
    CurlProgressFn progress_ = nullptr;
    double length_ = -1.0;
    int64_t resumeOffset_ = -1;
    int64_t lastReportTime_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> broken_{false};
    std::string effectiveUrl_;
};
