#include "TestTempDir.h"

#include "Utils/HostProbes.h"
#include "Utils/UniqueResource.h"

#include <windows.h>

namespace TestSupport {

TestTempDir::TestTempDir()
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"lumora-test-" + Utils::NewGuidString().substr(0, 12);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TestTempDir::~TestTempDir() { RemoveTree(path_); }

bool RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    Utils::UniqueFind find(::FindFirstFileW((path + L"\\*").c_str(), &data));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    return ::RemoveDirectoryW(path.c_str()) != FALSE || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace TestSupport
