#pragma once
// Folder chores: the private temporary folder and creating a folder path.

#include <functional>
#include <string>

namespace Utils {

// The platform temporary path followed by "~NorVoTemp.92482B06FB471E17\",
// created when missing; empty when it cannot be had.
std::wstring GetTempWorkDir();
std::wstring TempWorkDirFor(const std::wstring& tempPath);

// True when every level of the path exists afterwards. Paths over 259
// characters are refused.
bool CreateDirectories(const std::wstring& path);

// The walk behind CreateDirectories with the two platform calls passed in, so
// the order of creation can be observed.
bool CreateDirectoriesWith(const std::wstring& path,
                           const std::function<bool(const std::wstring&)>& exists,
                           const std::function<bool(const std::wstring&)>& create);

}  // namespace Utils
