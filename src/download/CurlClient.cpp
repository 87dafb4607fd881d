#include "CurlClient.h"

#include "AddressText.h"
#include "CurlCommon.h"
#include "LocalFile.h"
#include "WorkerGuard.h"
#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

}  // namespace

CurlClient::CurlClient(std::wstring address, std::wstring destination, void* owner)
    : address_(std::move(address)), destination_(std::move(destination)), owner_(owner)
{
}

CurlClient::~CurlClient()
{
    stop_ = true;
    Utils::DeleteLocalFile(PartPath(true));
}

std::wstring CurlClient::PartPath(bool withSuffix) const
{
    return withSuffix ? destination_ + L".part" : destination_;
}

// Options shared by the three header-only requests; false when one was refused.
bool CurlClient::SetHeaderRequestOptions(CURL* handle, const std::string& address, bool follow)
{
    CURLcode result = ::curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    if (follow) {
        result = result ? result : ::curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    } else {
        result = result ? result : ::curl_easy_setopt(handle, CURLOPT_HEADER, 1L);
    }
    result = result ? result : ::curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    result = result ? result : ::curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Utils::DiscardCurlBody);
    result = result ? result : Utils::ApplyRequestRules(handle, address, Utils::kStallSeconds);
    result = result ? result : Utils::ApplyStopCheck(handle, &stop_);
    return result == CURLE_OK;
}

Utils::UniqueCurl CurlClient::Head(const std::string& address)
{
    Utils::UniqueCurl handle(::curl_easy_init());
    if (!handle) return handle;
    int result = 0;
    if (SetHeaderRequestOptions(handle.Get(), address, true)) {
        result = ::curl_easy_perform(handle.Get());
        if (result != CURLE_OK) LogRaw(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    }
    LogLine(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    return handle;
}

std::string CurlClient::GetRealUrl(CURL* handle)
{
    char* url = nullptr;
    if (::curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || !url) return std::string();
    return url;
}

double CurlClient::GetDownloadFileLength(CURL* handle)
{
    curl_off_t length = -1;
    CURLcode result = ::curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    LogLine(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    if (result != CURLE_OK || !Utils::CurlStatusAccepted(handle, 399)) return -1.0;
    return static_cast<double>(length);
}

std::string CurlClient::GetRealUrl_Str(const std::string& address)
{
    Utils::UniqueCurl handle(::curl_easy_init());
    if (!handle || !SetHeaderRequestOptions(handle.Get(), address, true)) return address;
    CURLcode result = ::curl_easy_perform(handle.Get());
    if (result != CURLE_OK) {
        LogRaw(L"error:%d:%s", static_cast<int>(result), Utils::CurlErrorText(result).c_str());
        return address;
    }
    std::string url = GetRealUrl(handle.Get());
    return url.empty() ? address : url;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& address)
{
    Utils::UniqueCurl handle(::curl_easy_init());
    if (!handle) return -1.0;
    if (!SetHeaderRequestOptions(handle.Get(), address, false)) {
        LogLine(L"error:%d:%s", static_cast<int>(CURLE_BAD_FUNCTION_ARGUMENT),
                Utils::CurlErrorText(CURLE_BAD_FUNCTION_ARGUMENT).c_str());
        return -1.0;
    }
    ::curl_easy_perform(handle.Get());  // the two queries below decide
    long status = 0;
    CURLcode result = ::curl_easy_getinfo(handle.Get(), CURLINFO_RESPONSE_CODE, &status);
    LogLine(L"error:%d:%s", static_cast<int>(result), Utils::CurlErrorText(result).c_str());
    curl_off_t length = -1;
    if (result != CURLE_OK || !Utils::CurlStatusAccepted(handle.Get(), 400)) return -1.0;
    if (::curl_easy_getinfo(handle.Get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1.0;
    return static_cast<double>(length);
}

void CurlClient::Probe(const std::string& address)
{
    if (effectiveUrl_.empty() || length_ < kMinimumLength) {
        Utils::UniqueCurl head = Head(address);
        if (head) {
            effectiveUrl_ = GetRealUrl(head.Get());
            length_ = GetDownloadFileLength(head.Get());
        }
    }
    if (stop_) return;
    if (effectiveUrl_.empty() || length_ < kMinimumLength) {
        effectiveUrl_ = GetRealUrl_Str(address);
        if (!effectiveUrl_.empty() && !stop_) length_ = GetDownloadFileLength_Str(effectiveUrl_);
    }
}

CURLcode CurlClient::SetTransferOptions(FILE* partFile, Utils::UniqueCurlList& headers)
{
    CURL* h = handle_.Get();
    Utils::AppendHeader(headers, "Connection: keep-alive");
    Utils::AppendHeader(headers, "Accept-Encoding: gzip, deflate");
    // These are not checked: a refused keep-alive setting must not stop a download.
    ::curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.Get());
    ::curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);
    ::curl_easy_setopt(h, CURLOPT_TCP_KEEPIDLE, 10L);
    ::curl_easy_setopt(h, CURLOPT_TCP_KEEPINTVL, 10L);
    ::curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    // Not checked either: it changes no result, only the speed.
    ::curl_easy_setopt(h, CURLOPT_BUFFERSIZE, Utils::kCurlReceiveBufferBytes);
    int combined = 0;
    combined |= ::curl_easy_setopt(h, CURLOPT_URL, effectiveUrl_.c_str());
    combined |= ::curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteToFile);
    combined |= ::curl_easy_setopt(h, CURLOPT_WRITEDATA, partFile);
    combined |= ::curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    combined |= ::curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
    combined |= ::curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    combined |= ::curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    combined |= Utils::ApplyRequestRules(h, effectiveUrl_, Utils::kStallSeconds);
    return static_cast<CURLcode>(combined);
}

int CurlClient::Transfer(const std::wstring& partPath)
{
    const int64_t length = static_cast<int64_t>(length_);
    int64_t existing = Utils::LocalFileSize(partPath);
    if (existing > length) {
        // Longer than the package: not the beginning of it.
        Utils::DeleteLocalFile(partPath);
    } else if (existing == length) {
        // Complete already: an earlier attempt received it all but could not finish.
        return 0;
    }
    handle_.Reset(::curl_easy_init());
    if (!handle_) return kNoHandle;
    Utils::UniqueCFile partFile = Utils::OpenLocalFile(partPath, L"ab+");
    if (!partFile) {
        handle_.Reset();
        return kPartFileFailed;
    }
    std::setvbuf(partFile.Get(), nullptr, _IOFBF, Utils::kFileWriteBufferBytes);
    Utils::UniqueCurlList headers;
    CURLcode options = SetTransferOptions(partFile.Get(), headers);
    resumeOffset_ = Utils::LocalFileSize(partPath);
    if (resumeOffset_ > 0) {
        ::curl_easy_setopt(handle_.Get(), CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_));
    }
    int result = options != CURLE_OK ? options : ::curl_easy_perform(handle_.Get());
    handle_.Reset();
    if (!Utils::CloseWrittenFile(partFile) && result == CURLE_OK) result = kFinishFailed;
    if (result == CURLE_RANGE_ERROR) {
        // The server would not resume (it answered with the whole file or
        // another range); libcurl kept none of that answer. Start again from
        // byte 0 at the next attempt.
        Utils::DeleteLocalFile(partPath);
    }
    return result;
}

int CurlClient::Finish(const std::wstring& partPath)
{
    int64_t size = Utils::LocalFileSize(partPath);
    if (size != static_cast<int64_t>(length_)) {
        LogLine(L"the file has %lld bytes instead of %lld", static_cast<long long>(size),
                static_cast<long long>(length_));
        Utils::DeleteLocalFile(partPath);
        // The server's answer and its probe disagree: probe again next time.
        effectiveUrl_.clear();
        length_ = -1.0;
        return kWrongLength;
    }
    if (!Utils::MoveIntoPlace(partPath, destination_)) {
        LogLine(L"the file cannot be moved into place (%lu)", ::GetLastError());
        return kFinishFailed;
    }
    return 0;
}

int CurlClient::Start()
{
    LogLine(L"start download");
    broken_ = false;  // a run that met an exception has ended; this is a new attempt
    const std::wstring partPath = PartPath(true);
    Probe(Utils::ToCurlAddress(address_));
    int result = length_ < kMinimumLength ? kNoLength : Transfer(partPath);
    if (result == 0) result = Finish(partPath);
    LogLine(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    LogLine(L"end download");
    return result;
}

int CurlClient::ProgressCallback(void* object, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t,
                                 curl_off_t)
{
    CurlClient* client = static_cast<CurlClient*>(object);
    if (client->stop_ || client->broken_) return 1;
    try {
        client->ReportProgress(downloadTotal, downloadNow);
        return 0;
    } catch (...) {
        Utils::LogEscapedException(L"CurlClient progress callback");
        client->broken_ = true;
        return 1;
    }
}

void CurlClient::ReportProgress(curl_off_t downloadTotal, curl_off_t downloadNow)
{
    int64_t now = ::_time64(nullptr);
    if (now <= lastReportTime_) return;
    lastReportTime_ = now;

    curl_off_t bytesPerSecond = 0;
    if (::curl_easy_getinfo(handle_.Get(), CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond) != CURLE_OK) {
        bytesPerSecond = 0;
    }
    double speed = static_cast<double>(bytesPerSecond);
    double percent;
    if (length_ > kMinimumLength) {
        percent = static_cast<double>(downloadNow + resumeOffset_) / length_ * 100.0;
    } else {
        if (downloadNow <= 0 || downloadTotal <= 0) return;
        percent = static_cast<double>(downloadNow) * 100.0 / static_cast<double>(downloadTotal);
    }
    if (percent != 0.0 && progress_) progress_(owner_, speed, 0.0, percent);
    if (downloadTotal != 0) {
        LogRaw(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(downloadNow / 1048576),
               static_cast<int>(downloadTotal / 1048576), static_cast<double>(static_cast<float>(percent)),
               static_cast<double>(static_cast<float>(speed) * (1.0f / 1024.0f)));
    }
}
