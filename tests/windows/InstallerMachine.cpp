#include "InstallerMachine.h"

#include "InstallerProcess.h"
#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"
#include "download/DownloadServers.h"
#include "download/FileDigest.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace InstallerTest {

namespace {

const wchar_t kRecordsKey[] = L"Software\\NorVoSoft\\Lumora";

std::wstring PackageDigest()
{
    static const std::wstring digest =
        Utils::ToWide(Utils::GetFileMd5(TestSupport::BinDir() + L"\\fake_package.exe"), CP_UTF8);
    return digest;
}

unsigned long RecordedProcessId(const std::wstring& path)
{
    return std::strtoul(TestSupport::ReadBytes(path + L".pid").c_str(), nullptr, 10);
}

bool ProcessAlive(unsigned long processId)
{
    if (processId == 0) return false;
    Utils::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

bool RecordsKeyExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRecordsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring RecordValue(const std::wstring& name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kRecordsKey, name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"";
    }
    return value;
}

void WriteRecord(const std::wstring& name, const std::wstring& value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kRecordsKey, name.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RemoveRecords()
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kRecordsKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kRecordsKey);
}

std::wstring IniValue(const std::wstring& path, const std::wstring& section, const std::wstring& key)
{
    wchar_t value[512] = {};
    ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, 511, path.c_str());
    return value;
}

std::wstring AnalyticsFolder()
{
    wchar_t appData[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    return std::wstring(appData) + L"\\NorVoData\\Lumora";
}

std::wstring AnalyticsIniPath() { return AnalyticsFolder() + L"\\ZEDarororAvuvadide.ini"; }

bool Exists(const std::wstring& path) { return TestSupport::FileExists(path); }

std::wstring ListFolder(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    Utils::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (::FindNextFileW(find.Get(), &data));
    }
    std::sort(names.begin(), names.end());
    std::wstring list;
    for (const std::wstring& name : names) list += (list.empty() ? L"" : L" ") + name;
    return list;
}

bool ProductRuns(const std::wstring& path) { return ProcessAlive(RecordedProcessId(path)); }

bool StopProduct(const std::wstring& path)
{
    unsigned long processId = RecordedProcessId(path);
    if (!ProcessAlive(processId)) return true;
    TestSupport::WriteBytes(path + L".stop", "");
    return WaitUntil([processId] { return !ProcessAlive(processId); }, 10000);
}

unsigned long StartProduct(const std::wstring& folder)
{
    std::wstring path = folder + L"\\lumora.exe";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    if (!::CopyFileW((TestSupport::BinDir() + L"\\fake_product.exe").c_str(), path.c_str(), FALSE)) return 0;
    ::DeleteFileW((path + L".pid").c_str());
    ::DeleteFileW((path + L".stop").c_str());
    std::wstring commandLine = L"\"" + path + L"\" -lifetime=120000";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    WaitUntil([&] { return RecordedProcessId(path) == info.dwProcessId; }, 10000);
    return info.dwProcessId;
}

std::wstring ServePackage(const std::wstring& name)
{
    std::wstring folder = DownloadTest::ServedRoot() + L"\\" + PackageDigest();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CopyFileW((TestSupport::BinDir() + L"\\fake_package.exe").c_str(), (folder + L"\\" + name).c_str(), FALSE);
    return DownloadTest::NginxUrl(PackageDigest() + L"/" + name);
}

void WithdrawPackage(const std::wstring& name)
{
    ::DeleteFileW((DownloadTest::ServedRoot() + L"\\" + PackageDigest() + L"\\" + name).c_str());
}

std::wstring UnreachablePackageAddress()
{
    std::wstring closed = DownloadTest::ClosedPortUrl();
    return closed.substr(0, closed.find(L"/software/")) + L"/" + PackageDigest() + L"/Lumora_Setup.exe";
}

}  // namespace InstallerTest
