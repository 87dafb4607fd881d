#include "CCurlDownloader.h"

#include "FileDigest.h"
#include "WorkerGuard.h"
#include "app/DiagnosticLog.h"

#include <windows.h>

namespace {
const wchar_t kLibCurl[] = L"LibCurl";
}

CCurlDownloader::CCurlDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination)
    : owner_(owner), destination_(destination ? destination : L""), address_(address ? address : L""),
      client_(address_, destination_, this)
{
    client_.SetProgressFunction(&CCurlDownloader::OnProgress);
    // A partial file of an earlier process is not trusted: the first run starts at byte 0.
    ::DeleteFileW(client_.PartPath(true).c_str());
}

CCurlDownloader::~CCurlDownloader()
{
    client_.Stop();
    worker_.JoinAll();
}

void CCurlDownloader::Start()
{
    if (worker_.Replace(WorkerSlot::MakeWorker(&CCurlDownloader::dlThreadFun, this))) return;
    LogLine(L"the download worker could not be started");
    Report(DL_CODE_START, 1.0, L"");
    Report(DL_CODE_FAIL, 0.0, kLibCurl);
}

void CCurlDownloader::OnProgress(void* downloader, double speed, double, double percent)
{
    // No report for the first callback (no speed yet) or a body longer than probed.
    if (speed <= 0.0 || percent > 100.0) return;
    CCurlDownloader* self = static_cast<CCurlDownloader*>(downloader);
    double fraction = percent / 100.0;
    if (fraction < self->highestFraction_) return;
    self->highestFraction_ = fraction;
    self->Report(DL_CODE_PROGRESS, fraction, L"");
}

void CCurlDownloader::EndRun(bool& ended, const Ending& ending)
{
    ended = true;
    if (ending.notice) Report(DL_CODE_MD5_NOTICE, 0.0, ending.notice);
    Report(ending.code, ending.progress, ending.text);
}

uint32_t CCurlDownloader::dlThreadFun(void* downloader)
{
    CCurlDownloader* self = static_cast<CCurlDownloader*>(downloader);
    bool ended = false;
    Utils::RunGuarded(
        L"CCurlDownloader worker", [&] { self->EndRun(ended, self->dlThreadFun()); },
        [&] {
            if (!ended) self->EndRun(ended, {DL_CODE_FAIL, 0.0});
        });
    return 0;
}

CCurlDownloader::Ending CCurlDownloader::dlThreadFun()
{
    highestFraction_ = 0.0;
    Report(DL_CODE_START, 1.0, L"");
    if (destination_.empty()) {
        // Nowhere to put the file: going on would write beside the working folder.
        return {DL_CODE_FAIL, 1.0, nullptr, L""};
    }
    int result = client_.Start();
    int budget = kAttemptBudget;
    while (result != 0) {
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        if (budget <= 0 || client_.Stopped() || client_.Broken()) return {DL_CODE_FAIL, static_cast<double>(result)};
        LogLine(L"CurlDownLoader Code=%d", result);
        ::Sleep(kPauseMs);
        result = client_.Start();
    }
    return Verify();
}

CCurlDownloader::Ending CCurlDownloader::Verify()
{
    std::string expected = Utils::GetUrlMd5(client_.EffectiveUrl());
    if (expected.size() != Utils::kMd5TextLength) return {DL_CODE_SUCCESS, 0.0, L"curl获取url-md5失败"};
    std::string actual = Utils::GetFileMd5(destination_);
    // A file that cannot be hashed is no evidence of a bad download.
    if (actual.size() != Utils::kMd5TextLength || actual == expected) return {DL_CODE_SUCCESS, 0.0};
    const wchar_t* mismatch = L"curl文件md5校验失败";
    if (retriedOnce_) return {DL_CODE_FAIL, 0.0, mismatch};
    retriedOnce_ = true;
    return {DL_CODE_RETRY, 0.0, mismatch};
}
