#include "CMTCurlDownloader.h"

#include "AddressText.h"
#include "CurlCommon.h"
#include "FileDigest.h"
#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <sys/stat.h>
#include <io.h>
#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

const wchar_t kLibCurl[] = L"LibCurl";
const size_t kMergeBufferBytes = 1024;

int64_t ExistingSize(const std::string& path)
{
    if (::_access(path.c_str(), 0) != 0) return 0;
    struct _stati64 info;
    if (::_stati64(path.c_str(), &info) != 0) return 0;
    return info.st_size;
}

Utils::UniqueCFile OpenFile(const std::string& path, const char* mode)
{
    FILE* raw = nullptr;
    if (::fopen_s(&raw, path.c_str(), mode) != 0) return Utils::UniqueCFile();
    return Utils::UniqueCFile(raw);
}

// The settings every request of this downloader shares; the combined result.
int ApplySettings(CURL* h, const CMTCurlDownloader::TransferSettings& s)
{
    int combined = 0;
    combined |= ::curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, s.connectTimeoutSeconds);
    combined |= ::curl_easy_setopt(h, CURLOPT_MAXREDIRS, s.maxRedirects);
    combined |= ::curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, s.verifyPeer);
    combined |= ::curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, s.verifyHost);
    if (s.lowSpeedTimeSeconds > 0) {
        combined |= ::curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, s.lowSpeedLimit);
        combined |= ::curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, s.lowSpeedTimeSeconds);
    }
    return combined;
}

}  // namespace

const CMTCurlDownloader::TransferSettings CMTCurlDownloader::kResolutionSettings = {60, 30, 1, 2, 0, 0};
const CMTCurlDownloader::TransferSettings CMTCurlDownloader::kRangeSettings = {60, 30, 1, 2, 1, 5};

std::vector<CMTCurlDownloader::Range> CMTCurlDownloader::SplitIntoRanges(int64_t length)
{
    int64_t count = length / kBytesPerPart;
    if (count < 1) count = 1;
    if (count > kMostParts) count = kMostParts;
    int64_t size = length / count;
    std::vector<Range> ranges;
    int64_t offset = 0;
    for (int64_t i = 0; i < count; ++i) {
        int64_t take = size + (i == count - 1 ? length % count : 0);
        ranges.push_back({offset, offset + take - 1});
        offset += take;
    }
    return ranges;
}

std::string CMTCurlDownloader::RangeText(int64_t first, int64_t last)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%" PRId64 "-%" PRId64, first, last);
    return text;
}

CMTCurlDownloader::CMTCurlDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination,
                                     bool httpLibraryReady)
    : owner_(owner),
      destination_(destination ? destination : L""),
      address_(address ? address : L""),
      httpLibraryReady_(httpLibraryReady)
{
    ::DeleteFileW(destination_.c_str());
    DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader()
{
    stop_ = true;
    worker_.JoinAll();
    std::unique_lock<std::mutex> lock(detachedLock_);
    detachedEnded_.wait(lock, [this] { return detached_ == 0; });
}

std::string CMTCurlDownloader::PartPath(int index) const
{
    return Utils::ToAnsiPath(destination_) + "_" + std::to_string(index);
}

void CMTCurlDownloader::DeletePartFiles() const
{
    for (int i = 0; i < kMostParts; ++i) ::DeleteFileA(PartPath(i).c_str());
}

void CMTCurlDownloader::DetachedBegins()
{
    std::lock_guard<std::mutex> lock(detachedLock_);
    ++detached_;
}

void CMTCurlDownloader::DetachedEnds()
{
    // The last touch of this object by a detached thread.
    std::lock_guard<std::mutex> lock(detachedLock_);
    --detached_;
    detachedEnded_.notify_all();
}

void CMTCurlDownloader::Start()
{
    if (stop_) return;  // a report made while the object goes away
    worker_.Replace(std::make_unique<Utils::Thread>(&CMTCurlDownloader::Start_Down, this, L"ABDEF"));
}

uint32_t CMTCurlDownloader::Start_Down(void* downloader)
{
    CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(downloader);
    self->Report(DL_CODE_START, 1.0, L"");
    LogLine(L"start download");
    std::string address = Utils::ToCurlAddress(self->address_);
    ::DeleteFileW(self->destination_.c_str());
    if (!self->ProgressWorthKeeping()) self->DeletePartFiles();
    bool resolved = !self->effectiveUrl_.empty() && self->length_ >= kSmallestLength;
    if (!resolved && !self->getRealDownloadUrl(address)) {
        self->Report(DL_CODE_FAIL, 0.0, kLibCurl);
        return 0;
    }
    self->BuildNodes();
    self->StartParts();
    return 0;
}

bool CMTCurlDownloader::ProgressWorthKeeping()
{
    std::lock_guard<std::mutex> lock(lock_);
    return lastReportedPercent_ != 0.0;
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& address)
{
    effectiveUrl_.clear();
    expectedDigest_.clear();
    length_ = 0;
    if (!httpLibraryReady_) return false;
    Utils::UniqueCurl handle(::curl_easy_init());
    if (!handle) return false;
    CURL* h = handle.Get();
    Utils::UniqueCurlList headers;
    Utils::AppendHeader(headers, "Connection: keep-alive");
    ::curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.Get());
    int combined = 0;
    combined |= ::curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    combined |= ::curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Utils::DiscardCurlBody);
    combined |= ApplySettings(h, kResolutionSettings);
    if (combined != CURLE_OK || ::curl_easy_perform(h) != CURLE_OK) return false;

    char* url = nullptr;
    if (::curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url && *url) {
        effectiveUrl_ = url;
        LogLine(L"Download File real url %s", Utils::ToWide(effectiveUrl_, CP_UTF8).c_str());
        expectedDigest_ = Utils::GetUrlMd5(effectiveUrl_);
    }
    curl_off_t length = -1;
    if (::curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        Utils::CurlStatusAccepted(h, 399)) {
        length_ = static_cast<int64_t>(length);
        LogLine(L"Download File Length %lld", static_cast<long long>(length_));
    }
    return !effectiveUrl_.empty() && length_ >= kSmallestLength;
}

void CMTCurlDownloader::BuildNodes()
{
    parts_.clear();
    std::vector<Range> ranges = SplitIntoRanges(length_);
    for (size_t i = 0; i < ranges.size(); ++i) {
        auto node = std::make_unique<DownloadPartNode>();
        node->partPath = PartPath(static_cast<int>(i));
        int64_t found = ExistingSize(node->partPath);
        node->received = static_cast<uint64_t>(found);
        node->start = ranges[i].first + found;
        node->end = ranges[i].last;
        node->handle.Reset(::curl_easy_init());
        node->address = effectiveUrl_;
        if (node->start > node->end) {
            node->status = 0;
        } else {
            node->status = kPending;
            node->file = OpenFile(node->partPath, "ab+");
            if (node->file) {
                std::setvbuf(node->file.Get(), nullptr, _IOFBF, Utils::kFileWriteBufferBytes);
            } else {
                node->status = kPartFileFailed;
            }
        }
        parts_.push_back(std::move(node));
    }
}

void CMTCurlDownloader::StartParts()
{
    for (auto& node : parts_) {
        if (node->status != kPending) continue;
        {
            std::lock_guard<std::mutex> lock(lock_);
            ++runningParts_;
        }
        DetachedBegins();
        DownloadPartNode* raw = node.get();
        std::thread([this, raw] {
            downloadThreadFun(raw);
            DetachedEnds();
        }).detach();
        ::Sleep(kPartStartPauseMs);
    }
    DetachedBegins();
    std::thread([this] {
        waitForFinishThreadFun();
        DetachedEnds();
    }).detach();
}

void CMTCurlDownloader::downloadThreadFun(DownloadPartNode* node)
{
    int budget = kAttemptBudget;
    int result = downloadExe(node);
    while (result != 0 && budget > 0 && !stop_) {
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        LogLine(L"CurlDownLoader Code=%d", result);
        ::Sleep(kPauseMs);
        result = downloadExe(node);
    }
    node->file.Reset();
    std::lock_guard<std::mutex> lock(lock_);
    --runningParts_;
}

int CMTCurlDownloader::downloadExe(DownloadPartNode* node)
{
    std::string range = RangeText(node->start, node->end);
    CURL* h = node->handle.Get();
    if (!h) return node->status = CURLE_FAILED_INIT;
    int combined = 0;
    combined |= ::curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_URL, node->address.c_str());
    combined |= ::curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    combined |= ::curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::WriteCallback);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEDATA, node);
    combined |= ::curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    combined |= ::curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::ProgressCallback);
    combined |= ::curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    combined |= ::curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    combined |= ApplySettings(h, kRangeSettings);
    combined |= ::curl_easy_setopt(h, CURLOPT_RANGE, range.c_str());
    if (combined != CURLE_OK) return combined;
    ::curl_easy_setopt(h, CURLOPT_BUFFERSIZE, Utils::kCurlReceiveBufferBytes);

    int result = ::curl_easy_perform(h);
    if (result != CURLE_OK) {
        LogLine(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    } else {
        LogLine(L"curl_easy_cleanup");
    }
    ::curl_easy_reset(h);
    if (result == CURLE_OK) node->file.Reset();
    node->status = result;
    return result;
}

size_t CMTCurlDownloader::WriteCallback(char* data, size_t size, size_t count, void* object)
{
    DownloadPartNode* node = static_cast<DownloadPartNode*>(object);
    if (!node || !node->file || node->start > node->end) return 0;
    int64_t offered = static_cast<int64_t>(size * count);
    int64_t room = node->end - node->start + 1;
    size_t written;
    if (offered > room) {
        // Never past the range: the rest is refused and libcurl ends the transfer.
        written = std::fwrite(data, 1, static_cast<size_t>(room), node->file.Get());
        node->start = node->end + 1;
    } else {
        written = std::fwrite(data, 1, static_cast<size_t>(offered), node->file.Get());
        node->start += static_cast<int64_t>(written);
    }
    node->received += written;
    return written;
}

int CMTCurlDownloader::ProgressCallback(void* object, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(object);
    if (self->stop_) return 1;
    std::lock_guard<std::mutex> lock(self->lock_);
    int64_t now = ::_time64(nullptr);
    if (now <= self->lastReportTime_) return 0;
    self->lastReportTime_ = now;
    double percent = 0.0;
    if (self->length_ >= kSmallestLength) {
        for (const auto& node : self->parts_)
            percent += static_cast<double>(node->received.load()) * 100.0 / static_cast<double>(self->length_);
        if (percent > 100.0) return 0;
    }
    if (percent - self->lastReportedPercent_ < 1.0) return 0;
    self->lastReportedPercent_ = percent;
    self->Report(DL_CODE_PROGRESS, percent / 100.0, L"");
    return 0;
}

void CMTCurlDownloader::ReleaseNodes() { parts_.clear(); }

void CMTCurlDownloader::EndWithFailure(int status)
{
    ReleaseNodes();
    if (!ProgressWorthKeeping()) DeletePartFiles();
    if (retriedOnce_) {
        {
            std::lock_guard<std::mutex> lock(lock_);
            lastReportedPercent_ = 0.0;
        }
        Report(DL_CODE_FAIL, static_cast<double>(status), kLibCurl);
        return;
    }
    retriedOnce_ = true;
    Report(DL_CODE_RETRY, static_cast<double>(status), kLibCurl);
}

void CMTCurlDownloader::waitForFinishThreadFun()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(lock_);
            if (runningParts_ <= 0) break;
        }
        ::Sleep(kCollectorPollMs);
    }
    for (const auto& node : parts_) {
        if (node->status != 0) return EndWithFailure(node->status);
    }
    {
        std::lock_guard<std::mutex> lock(lock_);
        lastReportedPercent_ = 0.0;
    }
    std::vector<std::string> appended;
    bool merged = MergeParts(appended);
    for (const auto& path : appended) LogLine(L"partPath::%s", Utils::ToWide(path, CP_ACP).c_str());
    if (!merged) {
        // Renaming a partial file into place would pass a short package as
        // complete; the run fails like a failed part instead.
        return EndWithFailure(kPartFileFailed);
    }
    if (DigestMismatch()) {
        Report(DL_CODE_MD5_NOTICE, 0.0, L"mtcurl文件md5校验失败");
        ::DeleteFileA(Utils::ToAnsiPath(destination_).c_str());
        ReleaseNodes();
        if (retriedOnce_) {
            LogLine(L"finish recv, md5 chaek failed and retry failed.");
            Report(DL_CODE_FAIL, 0.0, kLibCurl);
            return;
        }
        retriedOnce_ = true;
        LogLine(L"finish recv, md5 chaek failed retry once.");
        Report(DL_CODE_RETRY, 0.0, kLibCurl);
        return;
    }
    if (expectedDigest_.size() != Utils::kMd5TextLength) Report(DL_CODE_MD5_NOTICE, 0.0, L"mtcurl获取url-md5失败");
    LogLine(L"finish recv");
    ReleaseNodes();
    Report(DL_CODE_SUCCESS, 0.0, kLibCurl);
}

bool CMTCurlDownloader::MergeParts(std::vector<std::string>& appended)
{
    Utils::UniqueCFile first = OpenFile(PartPath(0), "ab+");
    if (!first) return false;
    std::setvbuf(first.Get(), nullptr, _IOFBF, Utils::kFileWriteBufferBytes);
    bool complete = true;
    for (size_t i = 1; i < parts_.size(); ++i) {
        std::string path = PartPath(static_cast<int>(i));
        Utils::UniqueCFile part = OpenFile(path, "rb+");
        if (part) {
            char buffer[kMergeBufferBytes];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof(buffer), part.Get())) > 0) {
                if (std::fwrite(buffer, 1, got, first.Get()) != got) complete = false;
            }
        } else {
            complete = false;
        }
        appended.push_back(path);
    }
    if (std::fflush(first.Get()) != 0) complete = false;
    first.Reset();
    if (!complete) return false;
    std::string destination = Utils::ToAnsiPath(destination_);
    std::rename(PartPath(0).c_str(), destination.c_str());
    DeletePartFiles();
    return true;
}

bool CMTCurlDownloader::DigestMismatch() const
{
    if (expectedDigest_.size() != Utils::kMd5TextLength) return false;
    std::string actual = Utils::GetFileMd5(Utils::ToAnsiPath(destination_));
    // A file that cannot be hashed is no evidence of a bad download.
    return actual.size() == Utils::kMd5TextLength && actual != expectedDigest_;
}
