#include "CMTCurlDownloader.h"

#include "AddressText.h"
#include "CurlCommon.h"
#include "FileDigest.h"
#include "LocalFile.h"
#include "WorkerGuard.h"
#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <windows.h>

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

const wchar_t kLibCurl[] = L"LibCurl";
const size_t kMergeBufferBytes = 1024;

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

// Reads a decimal number at text[at]; false when there is none.
bool ReadNumber(const std::string& text, size_t& at, int64_t& value)
{
    size_t begin = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (value > (INT64_MAX - 9) / 10) return false;
        value = value * 10 + (text[at++] - '0');
    }
    return at > begin;
}

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

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

bool CMTCurlDownloader::ContentRangeMatches(const std::string& value, int64_t first, int64_t last, int64_t total)
{
    std::string text = Trimmed(value);
    if (!StartsWithNoCase(text, "bytes")) return false;
    size_t at = 5;
    if (at >= text.size() || (text[at] != ' ' && text[at] != '\t')) return false;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    int64_t gotFirst = 0, gotLast = 0, gotTotal = 0;
    if (!ReadNumber(text, at, gotFirst) || at >= text.size() || text[at++] != '-') return false;
    if (!ReadNumber(text, at, gotLast) || at >= text.size() || text[at++] != '/') return false;
    if (gotFirst != first || gotLast != last) return false;
    if (text.compare(at, std::string::npos, "*") == 0) return true;
    return ReadNumber(text, at, gotTotal) && at == text.size() && gotTotal == total;
}

CMTCurlDownloader::CMTCurlDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination,
                                     bool httpLibraryReady)
    : owner_(owner),
      destination_(destination ? destination : L""),
      address_(address ? address : L""),
      httpLibraryReady_(httpLibraryReady)
{
    Utils::DeleteLocalFile(destination_);
    DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader()
{
    stop_ = true;
    worker_.JoinAll();
    std::unique_lock<std::mutex> lock(detachedLock_);
    detachedEnded_.wait(lock, [this] { return detached_ == 0; });
}

std::wstring CMTCurlDownloader::PartPath(int index) const { return destination_ + L"_" + std::to_wstring(index); }

void CMTCurlDownloader::DeletePartFiles() const
{
    for (int i = 0; i < kMostParts; ++i) Utils::DeleteLocalFile(PartPath(i));
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
    if (worker_.Replace(WorkerSlot::MakeWorker(&CMTCurlDownloader::Start_Down, this))) return;
    LogLine(L"the download worker could not be started");
    Report(DL_CODE_START, 1.0, L"");
    Report(DL_CODE_FAIL, 0.0, kLibCurl);
}

void CMTCurlDownloader::EndRun(bool& ended, const Ending& ending)
{
    ended = true;
    if (ending.notice) Report(DL_CODE_MD5_NOTICE, 0.0, ending.notice);
    Report(ending.code, ending.progress, kLibCurl);
}

uint32_t CMTCurlDownloader::Start_Down(void* downloader)
{
    CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(downloader);
    bool ended = false;
    Utils::RunGuarded(
        L"CMTCurlDownloader start worker", [&] { self->Start_Down(ended); },
        [&] {
            if (!ended) self->EndRun(ended, {DL_CODE_FAIL, 0.0});
        });
    return 0;
}

void CMTCurlDownloader::Start_Down(bool& ended)
{
    broken_ = false;
    Report(DL_CODE_START, 1.0, L"");
    LogLine(L"start download");
    std::string address = Utils::ToCurlAddress(address_);
    Utils::DeleteLocalFile(destination_);
    if (!ProgressWorthKeeping()) DeletePartFiles();
    bool resolved = !effectiveUrl_.empty() && length_ >= kSmallestLength;
    if (!resolved && !getRealDownloadUrl(address)) {
        EndRun(ended, {DL_CODE_FAIL, 0.0});
        return;
    }
    BuildNodes();
    ended = true;  // from here on the collector ends the run
    StartParts();
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
    combined |= Utils::ApplyRequestRules(h, address, Utils::kStallSeconds);
    combined |= Utils::ApplyStopCheck(h, &stop_);
    if (combined != CURLE_OK) return false;
    CURLcode result = ::curl_easy_perform(h);
    if (result != CURLE_OK) {
        LogLine(L"error:%d:%s", static_cast<int>(result), Utils::CurlErrorText(result).c_str());
        return false;
    }

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
        int64_t found = Utils::LocalFileSize(node->partPath);
        if (found > ranges[i].last - ranges[i].first + 1) {
            // Longer than its range: not what this range left behind.
            Utils::DeleteLocalFile(node->partPath);
            found = 0;
        }
        if (found < 0) found = 0;
        node->received = static_cast<uint64_t>(found);
        node->start = ranges[i].first + found;
        node->end = ranges[i].last;
        node->packageLength = length_;
        node->handle.Reset(::curl_easy_init());
        node->address = effectiveUrl_;
        if (node->start > node->end) {
            node->status = 0;
        } else {
            node->status = kPending;
            node->file = Utils::OpenLocalFile(node->partPath, L"ab+");
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
        StartPart(node.get());
        ::Sleep(kPartStartPauseMs);
    }
    DetachedBegins();
    try {
        std::thread([this] {
            Collect();
            DetachedEnds();
        }).detach();
    } catch (...) {
        // No thread for the collector: this worker collects instead.
        Utils::LogEscapedException(L"CMTCurlDownloader collector start");
        Collect();
        DetachedEnds();
    }
}

void CMTCurlDownloader::StartPart(DownloadPartNode* node)
{
    {
        std::lock_guard<std::mutex> lock(lock_);
        ++runningParts_;
    }
    DetachedBegins();
    try {
        std::thread([this, node] {
            Utils::RunGuarded(
                L"CMTCurlDownloader part", [&] { downloadThreadFun(node); }, [&] { broken_ = true; });
            PartEnded();
            DetachedEnds();
        }).detach();
    } catch (...) {
        Utils::LogEscapedException(L"CMTCurlDownloader part start");
        node->status = kNoThread;
        node->file.Reset();
        PartEnded();
        DetachedEnds();
    }
}

void CMTCurlDownloader::PartEnded()
{
    std::lock_guard<std::mutex> lock(lock_);
    --runningParts_;
}

void CMTCurlDownloader::downloadThreadFun(DownloadPartNode* node)
{
    int budget = kAttemptBudget;
    int result = downloadExe(node);
    // A part file that cannot be written is not helped by asking again.
    while (result != 0 && result != kPartFileFailed && budget > 0 && !stop_ && !broken_) {
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        LogLine(L"CurlDownLoader Code=%d", result);
        ::Sleep(kPauseMs);
        result = downloadExe(node);
    }
    // A failed part is measured again from its file by the next run, so what
    // could not be flushed here is simply fetched again.
    Utils::CloseWrittenFile(node->file);
}

int CMTCurlDownloader::downloadExe(DownloadPartNode* node)
{
    std::string range = RangeText(node->start, node->end);
    CURL* h = node->handle.Get();
    if (!h) return node->status = CURLE_FAILED_INIT;
    if (!node->file) return node->status = kPartFileFailed;
    node->contentRange.clear();
    node->answerStatus = 0;
    // A local file has no answer headers; libcurl reads the range itself.
    node->rangeAccepted = node->address.compare(0, 8, "file:///") == 0;
    node->rangeRefused = false;
    int combined = 0;
    combined |= ::curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_URL, node->address.c_str());
    combined |= ::curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    combined |= ::curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::WriteCallback);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEDATA, node);
    combined |= ::curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CMTCurlDownloader::HeaderCallback);
    combined |= ::curl_easy_setopt(h, CURLOPT_HEADERDATA, node);
    combined |= ::curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    combined |= ::curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::ProgressCallback);
    combined |= ::curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    combined |= ::curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    combined |= Utils::ApplyRequestRules(h, node->address, kRangeStallSeconds);
    combined |= ::curl_easy_setopt(h, CURLOPT_RANGE, range.c_str());
    if (combined != CURLE_OK) return combined;
    ::curl_easy_setopt(h, CURLOPT_BUFFERSIZE, Utils::kCurlReceiveBufferBytes);

    int result = ::curl_easy_perform(h);
    if (node->rangeRefused) {
        LogLine(L"range %s refused: the answer was not that range", Utils::ToWide(range, CP_UTF8).c_str());
        result = CURLE_RANGE_ERROR;
    } else if (result == CURLE_OK && node->start <= node->end) {
        // The answer ended before the range did: fetch the rest.
        result = CURLE_PARTIAL_FILE;
    }
    if (result != CURLE_OK) {
        LogLine(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    } else {
        LogLine(L"curl_easy_cleanup");
    }
    ::curl_easy_reset(h);
    if (result == CURLE_OK && !Utils::CloseWrittenFile(node->file)) result = kPartFileFailed;
    node->status = result;
    return result;
}

size_t CMTCurlDownloader::HeaderCallback(char* data, size_t size, size_t count, void* object)
{
    DownloadPartNode* node = static_cast<DownloadPartNode*>(object);
    const size_t n = size * count;
    try {
        std::string line(data, n);
        if (StartsWithNoCase(line, "http/")) {
            // A new answer begins (the first, or the one after a redirect).
            node->contentRange.clear();
            size_t blank = line.find(' ');
            node->answerStatus = blank == std::string::npos ? 0 : std::atol(line.c_str() + blank + 1);
        } else if (StartsWithNoCase(line, "content-range:")) {
            node->contentRange = line.substr(14);
        } else if (Trimmed(line).empty() && node->answerStatus >= 200 && node->answerStatus <= 299) {
            // Interim answers, redirects and errors are libcurl's to handle;
            // no byte of them reaches the part file.
            node->rangeAccepted = node->answerStatus == 206 &&
                                  ContentRangeMatches(node->contentRange, node->start, node->end, node->packageLength);
            if (!node->rangeAccepted) {
                node->rangeRefused = true;
                return 0;  // libcurl ends the transfer before any byte of the answer is written
            }
        }
        return n;
    } catch (...) {
        Utils::LogEscapedException(L"CMTCurlDownloader header callback");
        return 0;
    }
}

size_t CMTCurlDownloader::WriteCallback(char* data, size_t size, size_t count, void* object)
{
    DownloadPartNode* node = static_cast<DownloadPartNode*>(object);
    if (!node || !node->file || !node->rangeAccepted || node->start > node->end) return 0;
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
    if (self->stop_ || self->broken_) return 1;
    try {
        return self->OnProgress();
    } catch (...) {
        Utils::LogEscapedException(L"CMTCurlDownloader progress callback");
        self->broken_ = true;
        return 1;
    }
}

int CMTCurlDownloader::OnProgress()
{
    std::lock_guard<std::mutex> lock(lock_);
    int64_t now = ::_time64(nullptr);
    if (now <= lastReportTime_) return 0;
    lastReportTime_ = now;
    double percent = 0.0;
    if (length_ >= kSmallestLength) {
        for (const auto& node : parts_)
            percent += static_cast<double>(node->received.load()) * 100.0 / static_cast<double>(length_);
        if (percent > 100.0) return 0;
    }
    if (percent - lastReportedPercent_ < 1.0) return 0;
    lastReportedPercent_ = percent;
    Report(DL_CODE_PROGRESS, percent / 100.0, L"");
    return 0;
}

void CMTCurlDownloader::ReleaseNodes() { parts_.clear(); }

CMTCurlDownloader::Ending CMTCurlDownloader::FailedPart(int status)
{
    ReleaseNodes();
    if (!ProgressWorthKeeping()) DeletePartFiles();
    if (retriedOnce_ || broken_) {
        std::lock_guard<std::mutex> lock(lock_);
        lastReportedPercent_ = 0.0;
        return {DL_CODE_FAIL, static_cast<double>(status)};
    }
    retriedOnce_ = true;
    return {DL_CODE_RETRY, static_cast<double>(status)};
}

void CMTCurlDownloader::Collect()
{
    bool ended = false;
    Utils::RunGuarded(
        L"CMTCurlDownloader collector", [&] { EndRun(ended, waitForFinishThreadFun()); },
        [&] {
            if (ended) return;
            ReleaseNodes();
            EndRun(ended, {DL_CODE_FAIL, 0.0});
        });
}

CMTCurlDownloader::Ending CMTCurlDownloader::waitForFinishThreadFun()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(lock_);
            if (runningParts_ <= 0) break;
        }
        ::Sleep(kCollectorPollMs);
    }
    for (const auto& node : parts_) {
        if (node->status != 0) return FailedPart(node->status);
    }
    if (broken_) return FailedPart(CURLE_ABORTED_BY_CALLBACK);
    {
        std::lock_guard<std::mutex> lock(lock_);
        lastReportedPercent_ = 0.0;
    }
    std::vector<std::wstring> appended;
    int merged = MergeParts(appended);
    for (const auto& path : appended) LogLine(L"partPath::%s", path.c_str());
    if (merged != 0) {
        // Moving a short or broken file into place would pass it as complete;
        // the run fails like a failed part instead.
        return FailedPart(merged);
    }
    if (DigestMismatch()) {
        Utils::DeleteLocalFile(destination_);
        ReleaseNodes();
        if (retriedOnce_) {
            LogLine(L"finish recv, md5 chaek failed and retry failed.");
            return {DL_CODE_FAIL, 0.0, L"mtcurl文件md5校验失败"};
        }
        retriedOnce_ = true;
        LogLine(L"finish recv, md5 chaek failed retry once.");
        return {DL_CODE_RETRY, 0.0, L"mtcurl文件md5校验失败"};
    }
    const wchar_t* notice = expectedDigest_.size() != Utils::kMd5TextLength ? L"mtcurl获取url-md5失败" : nullptr;
    LogLine(L"finish recv");
    ReleaseNodes();
    return {DL_CODE_SUCCESS, 0.0, notice};
}

int CMTCurlDownloader::MergeParts(std::vector<std::wstring>& appended)
{
    Utils::UniqueCFile first = Utils::OpenLocalFile(PartPath(0), L"ab+");
    if (!first) return kPartFileFailed;
    std::setvbuf(first.Get(), nullptr, _IOFBF, Utils::kFileWriteBufferBytes);
    bool complete = true;
    for (size_t i = 1; i < parts_.size(); ++i) {
        std::wstring path = PartPath(static_cast<int>(i));
        Utils::UniqueCFile part = Utils::OpenLocalFile(path, L"rb");
        if (part) {
            char buffer[kMergeBufferBytes];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof(buffer), part.Get())) > 0) {
                if (std::fwrite(buffer, 1, got, first.Get()) != got) complete = false;
            }
            if (std::ferror(part.Get())) complete = false;
        } else {
            complete = false;
        }
        appended.push_back(path);
    }
    if (!Utils::CloseWrittenFile(first)) complete = false;
    if (!complete) {
        // Part 0 may now hold some of the later parts: none of it can be trusted.
        DeletePartFiles();
        return kPartFileFailed;
    }
    int64_t size = Utils::LocalFileSize(PartPath(0));
    if (size != length_) {
        LogLine(L"the assembled file has %lld bytes instead of %lld", static_cast<long long>(size),
                static_cast<long long>(length_));
        DeletePartFiles();
        return kWrongLength;
    }
    if (!Utils::MoveIntoPlace(PartPath(0), destination_)) {
        LogLine(L"the assembled file cannot be moved into place (%lu)", ::GetLastError());
        DeletePartFiles();
        return kPartFileFailed;
    }
    DeletePartFiles();
    return 0;
}

bool CMTCurlDownloader::DigestMismatch() const
{
    if (expectedDigest_.size() != Utils::kMd5TextLength) return false;
    std::string actual = Utils::GetFileMd5(destination_);
    // A file that cannot be hashed is no evidence of a bad download.
    return actual.size() == Utils::kMd5TextLength && actual != expectedDigest_;
}
