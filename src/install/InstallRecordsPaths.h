#pragma once
// Path pieces shared by the install records and the analytics settings.

#include <string>

namespace RecordPaths {

// The folder and the name with one backslash between them; just the name when
// the folder is empty.
std::wstring Join(const std::wstring& folder, const std::wstring& name);

// The "APPDATA" environment variable, empty when unset or longer than the
// 260 characters the installer's buffers hold.
std::wstring AppDataFolder();

// A shell special folder (CSIDL_*), empty when the lookup fails.
std::wstring SpecialFolder(int csidl);

// "set.ini" of an install folder, as a full path, since the profile functions
// would put a bare or relative name into the Windows folder. Empty for an
// empty folder.
std::wstring SetIniPath(const std::wstring& installDir);

// A package line's report without the CR or LF its line ending left behind.
std::wstring StripLineEnd(const std::wstring& text);

}  // namespace RecordPaths
