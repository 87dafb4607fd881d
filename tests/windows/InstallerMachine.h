#pragma once
// What an install leaves on the machine (the Wine prefix the tests share),
// read and removed the way a person checking by hand would: the registry key
// of the install records, set.ini and the analytics ini, folders and files,
// the stand-in product's processes; and the stand-in package served by the
// local nginx behind an address that carries its digest.

#include <string>

namespace InstallerTest {

// HKEY_CURRENT_USER\Software\NorVoSoft\Lumora.
bool RecordsKeyExists();
// A REG_SZ value of the key; empty when missing.
std::wstring RecordValue(const std::wstring& name);
void WriteRecord(const std::wstring& name, const std::wstring& value);
void RemoveRecords();

std::wstring IniValue(const std::wstring& path, const std::wstring& section, const std::wstring& key);
// %APPDATA%\NorVoData\Lumora\ZEDarororAvuvadide.ini
std::wstring AnalyticsIniPath();
std::wstring AnalyticsFolder();

bool Exists(const std::wstring& path);
// Files of a folder, names only, sorted; empty when it does not exist.
std::wstring ListFolder(const std::wstring& folder);

// Stops a stand-in product that runs from path (it ends when its stop file
// appears) and waits for it; true when none of it runs afterwards.
bool StopProduct(const std::wstring& path);
// Whether the stand-in product at path has been started and still runs.
bool ProductRuns(const std::wstring& path);
// Starts the stand-in product as "lumora.exe" in folder; its process id, 0 on failure.
unsigned long StartProduct(const std::wstring& folder);

// The stand-in package (build/bin/fake_package.exe) served by nginx as
// /<md5>/<name>; its address. Serving it again under the same name is harmless.
std::wstring ServePackage(const std::wstring& name);
// The served copy removed: the address then answers 404.
void WithdrawPackage(const std::wstring& name);
// An address on a port nobody listens on, with a digest segment.
std::wstring UnreachablePackageAddress();

}  // namespace InstallerTest
