#include "CurlCommon.h"

#include "Utils/TextConvert.h"

#include <windows.h>

#include <cstring>

namespace Utils {

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

}  // namespace Utils
