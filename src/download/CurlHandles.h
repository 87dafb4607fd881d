#pragma once
// Owners for libcurl's handles and the C run-time streams the downloaders write.

#include "Utils/UniqueResource.h"

#include <curl/curl.h>

#include <cstdio>

namespace Utils {

inline void CloseCurlEasy(CURL* handle) { ::curl_easy_cleanup(handle); }
inline void FreeCurlList(curl_slist* list) { ::curl_slist_free_all(list); }
inline void CloseCFile(FILE* file) { ::fclose(file); }

using UniqueCurl = UniqueResource<NullTraits<CURL*, CloseCurlEasy>>;
using UniqueCurlList = UniqueResource<NullTraits<curl_slist*, FreeCurlList>>;
using UniqueCFile = UniqueResource<NullTraits<FILE*, CloseCFile>>;

// Appends a header line; on a failed append the list built so far is kept.
inline void AppendHeader(UniqueCurlList& list, const char* line)
{
    curl_slist* grown = ::curl_slist_append(list.Get(), line);
    if (grown) {
        list.Release();
        list.Reset(grown);
    }
}

}  // namespace Utils
