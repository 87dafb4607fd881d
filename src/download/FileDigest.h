#pragma once
// The package's expected digest travels in its address; the file's own digest
// is computed here with the system's MD5.

#include <string>

namespace Utils {

// The second-to-last path segment of an address: what lies between its last
// two "/". Empty when there is none.
std::string GetUrlMd5(const std::string& address);

// 32 lower-case hexadecimal characters of the file's MD5; empty when the name
// is empty or the file cannot be opened. fileName is in the ANSI code page,
// so a name with characters outside it cannot be opened; the downloaders use
// the UTF-16 form.
std::string GetFileMd5(const std::string& fileName);
std::string GetFileMd5(const std::wstring& fileName);

// A value taken from an address counts as a digest only at exactly this length.
constexpr size_t kMd5TextLength = 32;

}  // namespace Utils
