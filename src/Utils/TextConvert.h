#pragma once
// Conversions at the edges: narrow text exists only for libcurl, the C run-time's
// narrow file functions and child output; everything inside is UTF-16.

#include <string>

namespace Utils {

// codePage is 0 (the ANSI code page) or 65001 (UTF-8). Text that cannot be
// converted gives an empty result.
std::wstring ToWide(const std::string& text, unsigned codePage);
std::string ToNarrow(const std::wstring& text, unsigned codePage);

// Form encoding for addresses handed to the system downloader: printable ASCII
// stays (reserved characters included), space becomes '+', all else %XX.
std::wstring UrlFormEncode(const std::wstring& text);

}  // namespace Utils
