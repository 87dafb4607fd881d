#include "FileSystem.h"

#include <windows.h>
#include <shlwapi.h>

namespace Utils {

namespace {
const wchar_t kTempWorkFolder[] = L"~NorVoTemp.92482B06FB471E17\\";
const size_t kMaxPathChars = 260;

bool PathExists(const std::wstring& path) { return ::PathFileExistsW(path.c_str()) != FALSE; }
bool MakeDirectory(const std::wstring& path) { return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE; }
}  // namespace

std::wstring TempWorkDirFor(const std::wstring& tempPath)
{
    std::wstring dir = tempPath + kTempWorkFolder;
    if (dir.size() >= kMaxPathChars) return std::wstring();
    return dir;
}

std::wstring GetTempWorkDir()
{
    wchar_t temp[kMaxPathChars + 1] = {};
    DWORD length = ::GetTempPathW(static_cast<DWORD>(kMaxPathChars), temp);
    if (length == 0 || length > kMaxPathChars) return std::wstring();
    std::wstring dir = TempWorkDirFor(temp);
    if (dir.empty()) return dir;
    if (PathExists(dir)) return dir;
    return MakeDirectory(dir) ? dir : std::wstring();
}

bool CreateDirectoriesWith(const std::wstring& path,
                           const std::function<bool(const std::wstring&)>& exists,
                           const std::function<bool(const std::wstring&)>& create)
{
    if (path.size() > kMaxPathChars - 1) return false;
    auto ensure = [&](const std::wstring& level) { return exists(level) || create(level); };
    size_t pos = 0;
    while ((pos = path.find(L'\\', pos)) != std::wstring::npos) {
        ++pos;
        if (!ensure(path.substr(0, pos))) return false;
    }
    if (!path.empty() && path.back() != L'\\' && !ensure(path)) return false;
    return true;
}

bool CreateDirectories(const std::wstring& path)
{
    return CreateDirectoriesWith(path, PathExists, MakeDirectory);
}

}  // namespace Utils
