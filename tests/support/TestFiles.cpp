#include "TestFiles.h"

#include "Utils/FileSystem.h"
#include "Utils/UniqueResource.h"

#include <windows.h>

namespace TestSupport {

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    Utils::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadBytes(const std::wstring& path)
{
    Utils::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return WriteBytes(path, bytes);
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring BinDir()
{
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L'\\'));
}

std::wstring OutputDir()
{
    wchar_t value[MAX_PATH + 1] = {};
    DWORD n = ::GetEnvironmentVariableW(L"LUMORA_TEST_OUTPUT", value, MAX_PATH);
    std::wstring dir = (n > 0 && n < MAX_PATH) ? std::wstring(value) : BinDir() + L"\\..\\test-output";
    // The runner passes a Unix path; Wine maps it under the Z: drive.
    if (!dir.empty() && dir[0] == L'/') {
        for (auto& c : dir)
            if (c == L'/') c = L'\\';
        dir = L"Z:" + dir;
    }
    Utils::CreateDirectories(dir + L"\\");
    return dir;
}

}  // namespace TestSupport
