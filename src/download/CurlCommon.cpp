#include "CurlCommon.h"

#include "Utils/TextConvert.h"

#include <windows.h>

#include <cctype>
#include <cstring>

namespace Utils {

namespace {

std::atomic<CurlOptionObserver> g_observer{nullptr};

bool StartsWithHttps(const std::string& address)
{
    static const char kHttps[] = "https:";
    if (address.size() < sizeof(kHttps) - 1) return false;
    for (size_t i = 0; i < sizeof(kHttps) - 1; ++i)
        if (std::tolower(static_cast<unsigned char>(address[i])) != kHttps[i]) return false;
    return true;
}

int StopRequested(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

}  // namespace

bool CurlStatusAccepted(CURL* handle, long highest)
{
    long status = 0;
    if (::curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
    if (status >= 200 && status <= highest) return true;
    const char* scheme = nullptr;
    return status == 0 && ::curl_easy_getinfo(handle, CURLINFO_SCHEME, &scheme) == CURLE_OK && scheme &&
           (std::strcmp(scheme, "FILE") == 0 || std::strcmp(scheme, "file") == 0);
}

std::wstring CurlErrorText(int result)
{
    return ToWide(::curl_easy_strerror(static_cast<CURLcode>(result)), CP_UTF8);
}

size_t DiscardCurlBody(char*, size_t size, size_t count, void*) { return size * count; }

CURLcode SetCurlOption(CURL* handle, CURLoption option, long value)
{
    CURLcode result = ::curl_easy_setopt(handle, option, value);
    CurlOptionObserver observer = g_observer.load();
    if (observer && result == CURLE_OK) observer(option, std::to_string(value));
    return result;
}

CURLcode SetCurlOption(CURL* handle, CURLoption option, const char* value)
{
    CURLcode result = ::curl_easy_setopt(handle, option, value);
    CurlOptionObserver observer = g_observer.load();
    if (observer && result == CURLE_OK) observer(option, value ? value : "");
    return result;
}

void SetCurlOptionObserver(CurlOptionObserver observer) { g_observer = observer; }

CURLcode ApplyRequestRules(CURL* handle, const std::string& address, long stallSeconds)
{
    int combined = 0;
    combined |= SetCurlOption(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    combined |= SetCurlOption(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
    combined |= SetCurlOption(handle, CURLOPT_REDIR_PROTOCOLS_STR, StartsWithHttps(address) ? "https" : "http,https");
    combined |= SetCurlOption(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    combined |= SetCurlOption(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    combined |= SetCurlOption(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    combined |= SetCurlOption(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds);
    return static_cast<CURLcode>(combined);
}

CURLcode ApplyStopCheck(CURL* handle, const std::atomic<bool>* stop)
{
    int combined = 0;
    combined |= ::curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    combined |= ::curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &StopRequested);
    combined |= ::curl_easy_setopt(handle, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(stop));
    return static_cast<CURLcode>(combined);
}

}  // namespace Utils
