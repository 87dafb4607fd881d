#include "CurlStatus.h"

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

}  // namespace Utils
