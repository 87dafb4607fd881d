#pragma once
// The default downloader: one resumable stream through CurlClient, repeated
// within a budget of 12 points while the partial file keeps what arrived, then
// checked against the digest in the effective address.

#include "CDownloader.h"
#include "CurlClient.h"
#include "WorkerSlot.h"

#include <string>

class CCurlDownloader : public CDownloader {
public:
    static constexpr int kAttemptBudget = 12;
    static constexpr unsigned kPauseMs = 500;

    CCurlDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination);
    ~CCurlDownloader() override;

    void Start() override;

    static uint32_t dlThreadFun(void* downloader);
    static void OnProgress(void* downloader, double speed, double reserved, double percent);

private:
    void Verify();
    void Report(int code, double progress, const wchar_t* text) { owner_(code, progress, text); }

    StatusCallback owner_;
    std::wstring destination_;
    std::wstring address_;
    CurlClient client_;
    WorkerSlot worker_;
    bool retriedOnce_ = false;
};
