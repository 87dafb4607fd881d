#pragma once
// What the two libcurl downloaders share at the libcurl edge.

#include <curl/curl.h>

#include <cstddef>
#include <string>

namespace Utils {

// A status from 200 to highest; also libcurl's 0 for a local file
// ("file:///"), which has no status at all.
bool CurlStatusAccepted(CURL* handle, long highest);

// libcurl's text for a result, wide; our own negative codes get its
// "unknown error" text.
std::wstring CurlErrorText(int result);

// Write callback of header-only requests.
size_t DiscardCurlBody(char* data, size_t size, size_t count, void* unused);

// Each socket read is a round trip through the platform's layers; libcurl's
// 16 KiB default halves the speed of a large download. curl's own tool asks
// for this much.
constexpr long kCurlReceiveBufferBytes = 102400;
// The run-time's small default stream buffer turns every block into a
// seek-to-end and a write of its own (append mode); a large one batches them.
constexpr size_t kFileWriteBufferBytes = 1 << 20;

}  // namespace Utils
