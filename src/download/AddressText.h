#pragma once
// Narrow forms at the libcurl and C run-time edges: addresses go to libcurl in
// UTF-8, except "file:///" addresses, which name a local file and so go in the
// ANSI code page like every local file name.

#include <string>

namespace Utils {

std::string ToCurlAddress(const std::wstring& address);
std::string ToAnsiPath(const std::wstring& path);
bool IsFileAddress(const std::wstring& address);

}  // namespace Utils
