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
    // What ends a run: an optional 1006 notice, then the ending report.
    struct Ending {
        int code;
        double progress;
        const wchar_t* notice = nullptr;
        const wchar_t* text = L"LibCurl";
    };

    // The run up to its ending (reports 1001 and the progress itself).
    Ending dlThreadFun();
    Ending Verify();
    void EndRun(bool& ended, const Ending& ending);
    void Report(int code, double progress, const wchar_t* text) { owner_(code, progress, text); }

    StatusCallback owner_;
    std::wstring destination_;
    std::wstring address_;
    CurlClient client_;
    WorkerSlot worker_;
    bool retriedOnce_ = false;
    // The run's highest reported fraction: a later attempt that starts over
    // (its partial file was refused) does not move the bar back.
    double highestFraction_ = 0.0;
};
