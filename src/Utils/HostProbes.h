#pragma once
// Questions about the host: Windows version, WOW64, administrator rights,
// the console user and new GUID texts. All fail soft.

#include <windows.h>

#include <string>

namespace Utils {

// Fills productName ("Windows") and label ("XP", "7", "10", ...).
void GetOsVersionName(std::wstring& productName, std::wstring& label);
// The label rule on its own; serverR2 stands for GetSystemMetrics(SM_SERVERR2).
std::wstring OsVersionLabel(unsigned major, unsigned minor, unsigned build, bool serverR2);

bool IsWow64();
bool IsProcessAdmin();
bool IsUserAdmin(const std::wstring& userName);
bool GetConsoleUserName(std::wstring& name);

std::wstring NewGuidString();
// 32 hex digits without separators; the third field in lower case.
std::wstring FormatGuidString(const GUID& guid);

}  // namespace Utils
