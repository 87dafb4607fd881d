#pragma once
// Whether a header-only answer's status lets its length count.

#include <curl/curl.h>

namespace Utils {

// A status from 200 to highest; also libcurl's 0 for a local file
// ("file:///"), which has no status at all.
bool CurlStatusAccepted(CURL* handle, long highest);

}  // namespace Utils
