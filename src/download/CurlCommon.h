#pragma once
// What the two libcurl downloaders share at the libcurl edge.

#include <curl/curl.h>

#include <atomic>
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

constexpr long kConnectTimeoutSeconds = 60;
// Redirect loops must end; 30 is libcurl's own later default.
constexpr long kMaxRedirects = 30;
// A peer that stops sending (or never answers at all) must not hold a request
// forever: under 1 byte/s for this long ends it with result 28.
constexpr long kStallSeconds = 30;

// The rules every request of the downloaders follows, header-only probes
// included: connect timeout, redirect limit, stall rule (stallSeconds),
// certificate and host checks on (the digest comes from the same server as the
// package), and redirects only to http or https — only to https when the
// request starts on https, so a digest fetched over TLS is never replaced by
// one that travelled in the clear. The combined result of the settings.
CURLcode ApplyRequestRules(CURL* handle, const std::string& address, long stallSeconds);

// For requests without a progress function of their own (the probes): once
// stop is set the request ends (result 42) within about a second, since
// libcurl calls the check about once per second even while nothing arrives.
CURLcode ApplyStopCheck(CURL* handle, const std::atomic<bool>* stop);

// Sets an option and tells the observer (if any) what libcurl accepted.
CURLcode SetCurlOption(CURL* handle, CURLoption option, long value);
CURLcode SetCurlOption(CURL* handle, CURLoption option, const char* value);

// Test seam: sees every option set through SetCurlOption and libcurl accepted,
// from any thread. Null removes it.
using CurlOptionObserver = void (*)(CURLoption option, const std::string& value);
void SetCurlOptionObserver(CurlOptionObserver observer);

}  // namespace Utils
