#include "CurlClient.h"

#include "AddressText.h"
#include "CurlCommon.h"
#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

// Options shared by the three header-only requests; false when one was refused.
bool SetHeaderRequestOptions(CURL* handle, const std::string& address, bool follow)
{
    CURLcode result = ::curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    if (follow) {
        result = result ? result : ::curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    } else {
        result = result ? result : ::curl_easy_setopt(handle, CURLOPT_HEADER, 1L);
    }
    result = result ? result : ::curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    result = result ? result : ::curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Utils::DiscardCurlBody);
    result = result ? result : ::curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, CurlClient::kConnectTimeoutSeconds);
    result = result ? result : ::curl_easy_setopt(handle, CURLOPT_MAXREDIRS, CurlClient::kMaxRedirects);
    return result == CURLE_OK;
}

int64_t FileSize(const std::string& path)
{
    struct _stati64 info;
    if (::_stati64(path.c_str(), &info) != 0) return -1;
    return info.st_size;
}

}  // namespace

CurlClient::CurlClient(std::wstring address, std::wstring destination, void* owner)
    : address_(std::move(address)), destination_(std::move(destination)), owner_(owner)
{
}

CurlClient::~CurlClient()
{
    stop_ = true;
    std::remove(Utils::ToAnsiPath(PartPath(true)).c_str());
}

std::wstring CurlClient::PartPath(bool withSuffix) const
{
    return withSuffix ? destination_ + L".part" : destination_;
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
    if (effectiveUrl_.empty() || length_ < kMinimumLength) {
        effectiveUrl_ = GetRealUrl_Str(address);
        if (!effectiveUrl_.empty()) length_ = GetDownloadFileLength_Str(effectiveUrl_);
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
    combined |= ::curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    combined |= ::curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    combined |= ::curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    combined |= ::curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    return static_cast<CURLcode>(combined);
}

int CurlClient::Transfer(const std::string& partPath)
{
    handle_.Reset(::curl_easy_init());
    if (!handle_) return kNoHandle;
    FILE* raw = nullptr;
    if (::fopen_s(&raw, partPath.c_str(), "ab+") != 0 || !raw) {
        handle_.Reset();
        return kPartFileFailed;
    }
    Utils::UniqueCFile partFile(raw);
    std::setvbuf(partFile.Get(), nullptr, _IOFBF, Utils::kFileWriteBufferBytes);
    Utils::UniqueCurlList headers;
    CURLcode options = SetTransferOptions(partFile.Get(), headers);
    resumeOffset_ = FileSize(partPath);
    if (resumeOffset_ > 0) {
        ::curl_easy_setopt(handle_.Get(), CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_));
    }
    int result = options != CURLE_OK ? options : ::curl_easy_perform(handle_.Get());
    handle_.Reset();
    return result;
}

int CurlClient::Start()
{
    LogLine(L"start download");
    std::string partPath = Utils::ToAnsiPath(PartPath(true));
    std::string destination = Utils::ToAnsiPath(destination_);
    Probe(Utils::ToCurlAddress(address_));
    int result = length_ < kMinimumLength ? kNoLength : Transfer(partPath);
    LogLine(L"error:%d:%s", result, Utils::CurlErrorText(result).c_str());
    if (result == 0) {
        std::remove(destination.c_str());
        std::rename(partPath.c_str(), destination.c_str());
    }
    LogLine(L"end download");
    return result;
}

int CurlClient::ProgressCallback(void* object, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t,
                                 curl_off_t)
{
    CurlClient* client = static_cast<CurlClient*>(object);
    if (client->stop_) return 1;
    int64_t now = ::_time64(nullptr);
    if (now <= client->lastReportTime_) return 0;
    client->lastReportTime_ = now;

    curl_off_t bytesPerSecond = 0;
    if (::curl_easy_getinfo(client->handle_.Get(), CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond) != CURLE_OK) {
        bytesPerSecond = 0;
    }
    double speed = static_cast<double>(bytesPerSecond);
    double percent;
    if (client->length_ > kMinimumLength) {
        percent = static_cast<double>(downloadNow + client->resumeOffset_) / client->length_ * 100.0;
    } else {
        if (downloadNow <= 0 || downloadTotal <= 0) return 0;
        percent = static_cast<double>(downloadNow) * 100.0 / static_cast<double>(downloadTotal);
    }
    if (percent != 0.0 && client->progress_) client->progress_(client->owner_, speed, 0.0, percent);
    if (downloadTotal != 0) {
        LogRaw(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(downloadNow / 1048576),
               static_cast<int>(downloadTotal / 1048576), static_cast<double>(static_cast<float>(percent)),
               static_cast<double>(static_cast<float>(speed) * (1.0f / 1024.0f)));
    }
    return 0;
}
