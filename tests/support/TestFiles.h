#pragma once
// Small file helpers for fixtures.

#include <string>

namespace TestSupport {

bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// UTF-16 LE with a byte-order mark, as the profile functions read Unicode ini files.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);
bool FileExists(const std::wstring& path);
// The folder of the running test executable (build/bin), where the helper programs are.
std::wstring BinDir();
// The folder where tests leave what a person may want to look at (screenshots).
std::wstring OutputDir();

}  // namespace TestSupport
