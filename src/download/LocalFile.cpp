#include "LocalFile.h"

#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

namespace Utils {

UniqueCFile OpenLocalFile(const std::wstring& path, const wchar_t* mode)
{
    FILE* raw = nullptr;
    if (::_wfopen_s(&raw, path.c_str(), mode) != 0 || !raw) return UniqueCFile();
    return UniqueCFile(raw);
}

int64_t LocalFileSize(const std::wstring& path)
{
    struct _stati64 info;
    if (::_wstati64(path.c_str(), &info) != 0) return -1;
    return info.st_size;
}

bool CloseWrittenFile(UniqueCFile& file)
{
    if (!file) return true;
    bool flushed = std::fflush(file.Get()) == 0;
    bool closed = std::fclose(file.Release()) == 0;
    return flushed && closed;
}

bool MoveIntoPlace(const std::wstring& from, const std::wstring& to)
{
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
}

void DeleteLocalFile(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

}  // namespace Utils
