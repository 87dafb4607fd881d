#pragma once
// The downloaders' local files, named in UTF-16 all the way to the C run-time
// and the platform, so a folder with characters outside the ANSI code page
// works like any other.

#include "CurlHandles.h"

#include <cstdint>
#include <string>

namespace Utils {

// _wfopen_s with a C run-time mode ("ab+", "rb"); empty when it fails.
UniqueCFile OpenLocalFile(const std::wstring& path, const wchar_t* mode);
// The file's size, or -1 when there is no such file.
int64_t LocalFileSize(const std::wstring& path);
// Flushes and closes a file that was written; false when either failed, so
// what the caller wrote may not all be on disk.
bool CloseWrittenFile(UniqueCFile& file);
// Moves a finished file over the destination (replacing it); false when the
// destination cannot be replaced or the move failed.
bool MoveIntoPlace(const std::wstring& from, const std::wstring& to);
void DeleteLocalFile(const std::wstring& path);

}  // namespace Utils
