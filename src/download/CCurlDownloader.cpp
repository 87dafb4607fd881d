#include "CCurlDownloader.h"

#include "AddressText.h"
#include "FileDigest.h"
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
    worker_.Replace(std::make_unique<Utils::Thread>(&CCurlDownloader::dlThreadFun, this, L"ABDEF"));
}

void CCurlDownloader::OnProgress(void* downloader, double speed, double, double percent)
{
    // No report for the first callback (no speed yet) or a body longer than probed.
    if (speed <= 0.0 || percent > 100.0) return;
    static_cast<CCurlDownloader*>(downloader)->Report(DL_CODE_PROGRESS, percent / 100.0, L"");
}

uint32_t CCurlDownloader::dlThreadFun(void* downloader)
{
    CCurlDownloader* self = static_cast<CCurlDownloader*>(downloader);
    self->Report(DL_CODE_START, 1.0, L"");
    if (self->destination_.empty()) {
        // Nowhere to put the file: going on would write beside the working folder.
        self->Report(DL_CODE_FAIL, 1.0, L"");
        return 0;
    }
    int result = self->client_.Start();
    int budget = kAttemptBudget;
    while (result != 0) {
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        if (budget <= 0 || self->client_.Stopped()) {
            self->Report(DL_CODE_FAIL, static_cast<double>(result), kLibCurl);
            return 0;
        }
        LogLine(L"CurlDownLoader Code=%d", result);
        ::Sleep(kPauseMs);
        result = self->client_.Start();
    }
    self->Verify();
    return 0;
}

void CCurlDownloader::Verify()
{
    std::string expected = Utils::GetUrlMd5(client_.EffectiveUrl());
    if (expected.size() != Utils::kMd5TextLength) {
        Report(DL_CODE_MD5_NOTICE, 0.0, L"curl获取url-md5失败");
        Report(DL_CODE_SUCCESS, 0.0, kLibCurl);
        return;
    }
    std::string actual = Utils::GetFileMd5(Utils::ToAnsiPath(destination_));
    // A file that cannot be hashed is no evidence of a bad download.
    if (actual.size() != Utils::kMd5TextLength || actual == expected) {
        Report(DL_CODE_SUCCESS, 0.0, kLibCurl);
        return;
    }
    Report(DL_CODE_MD5_NOTICE, 0.0, L"curl文件md5校验失败");
    if (retriedOnce_) {
        Report(DL_CODE_FAIL, 0.0, kLibCurl);
        return;
    }
    retriedOnce_ = true;
    Report(DL_CODE_RETRY, 0.0, kLibCurl);
}
