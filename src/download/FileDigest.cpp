#include "FileDigest.h"

#include "CurlHandles.h"
#include "LocalFile.h"
#include "Md5.h"

#include <cstdio>
#include <cstring>

namespace Utils {

std::string GetUrlMd5(const std::string& address)
{
    size_t last = address.rfind('/');
    if (last == std::string::npos || last == 0) return std::string();
    size_t previous = address.rfind('/', last - 1);
    if (previous == std::string::npos) return std::string();
    return address.substr(previous + 1, last - previous - 1);
}

namespace {

std::string DigestOf(UniqueCFile file)
{
    if (!file) return std::string();
    Md5 digest;
    unsigned char buffer[1024];
    for (;;) {
        std::memset(buffer, 0, sizeof(buffer));
        size_t got = std::fread(buffer, 1, sizeof(buffer), file.Get());
        if (got == 0) break;  // end of file and read errors alike
        digest.Update(buffer, got);
    }
    uint8_t result[16];
    digest.Finish(result);
    try {
        std::string text;
        char hex[3];
        for (uint8_t byte : result) {
            std::snprintf(hex, sizeof(hex), "%02x", byte);
            text += hex;
        }
        return text;
    } catch (...) {
        return std::string();
    }
}

}  // namespace

std::string GetFileMd5(const std::string& fileName)
{
    if (fileName.empty()) return std::string();
    FILE* raw = nullptr;
    if (::fopen_s(&raw, fileName.c_str(), "rb") != 0 || !raw) return std::string();
    return DigestOf(UniqueCFile(raw));
}

std::string GetFileMd5(const std::wstring& fileName)
{
    if (fileName.empty()) return std::string();
    return DigestOf(OpenLocalFile(fileName, L"rb"));
}

}  // namespace Utils
