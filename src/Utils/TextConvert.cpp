#include "TextConvert.h"

#include <windows.h>

#include <vector>

namespace Utils {

std::wstring ToWide(const std::string& text, unsigned codePage)
{
    // -1 makes the size include the terminating NUL, which we then drop.
    int size = ::MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(size));
    if (::MultiByteToWideChar(codePage, 0, text.c_str(), -1, buffer.data(), size) <= 0)
        return std::wstring();
    return std::wstring(buffer.data());
}

std::string ToNarrow(const std::wstring& text, unsigned codePage)
{
    int size = ::WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(size));
    if (::WideCharToMultiByte(codePage, 0, text.c_str(), -1, buffer.data(), size, nullptr, nullptr) <= 0)
        return std::string();
    return std::string(buffer.data());
}

std::wstring UrlFormEncode(const std::wstring& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string utf8 = ToNarrow(text, CP_UTF8);
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (unsigned char byte : utf8) {
        if (byte >= 33 && byte <= 126) {
            encoded += static_cast<char>(byte);
        } else if (byte == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return ToWide(encoded, CP_UTF8);
}

}  // namespace Utils
