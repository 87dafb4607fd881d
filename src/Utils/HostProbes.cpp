#include "HostProbes.h"

#include "UniqueResource.h"

#include <lm.h>
#include <objbase.h>
#include <wtsapi32.h>

#include <cwchar>

namespace Utils {

std::wstring OsVersionLabel(unsigned major, unsigned minor, unsigned build, bool serverR2)
{
    if (major <= 4) return L"XP-";
    if (major == 5) {
        if (minor == 0) return L"2K";
        if (minor == 1) return L"XP";
        if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
        return L"XP+";
    }
    if (major == 6) {
        static const wchar_t* const kSix[] = {L"Vista", L"7", L"8", L"8.1"};
        return minor < 4 ? kSix[minor] : L"8.1+";
    }
    if (major == 10) return minor == 0 ? L"10" : L"10+";
    return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
}

void GetOsVersionName(std::wstring& productName, std::wstring& label)
{
    productName = L"Windows";
    label.clear();
    DWORD major = 0, minor = 0, build = 0;
    UniqueLibrary ntdll(::LoadLibraryW(L"ntdll.dll"));
    if (!ntdll) {
        label = L"XP-";
        return;
    }
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto fn = reinterpret_cast<RtlGetNtVersionNumbersFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll.Get(), "RtlGetNtVersionNumbers")));
    if (fn) {
        fn(&major, &minor, &build);
        build &= 0xFFFF;
    }
    label = OsVersionLabel(major, minor, build, ::GetSystemMetrics(SM_SERVERR2) != 0);
}

bool IsWow64()
{
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    if (!fn) return false;
    BOOL answer = FALSE;
    if (fn(::GetCurrentProcess(), &answer)) return answer != FALSE;
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

bool IsProcessAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    UniqueSid admins;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                    0, 0, 0, 0, admins.Put()))
        return false;
    BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, admins.Get(), &member)) member = FALSE;
    return member != FALSE;
}

bool IsUserAdmin(const std::wstring& userName)
{
    LPBYTE buffer = nullptr;
    if (::NetUserGetInfo(nullptr, userName.c_str(), 1, &buffer) != NERR_Success) return false;
    bool admin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
    ::NetApiBufferFree(buffer);
    return admin;
}

bool GetConsoleUserName(std::wstring& name)
{
    DWORD session = ::WTSGetActiveConsoleSessionId();
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &buffer, &bytes))
        return false;
    name = buffer ? buffer : L"";
    ::WTSFreeMemory(buffer);
    return true;
}

std::wstring FormatGuidString(const GUID& g)
{
    wchar_t text[50] = {};
    std::swprintf(text, 50, L"%08lX%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", static_cast<unsigned long>(g.Data1),
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                  g.Data4[6], g.Data4[7]);
    return text;
}

std::wstring NewGuidString()
{
    GUID guid = {};
    if (FAILED(::CoCreateGuid(&guid))) return std::wstring();
    return FormatGuidString(guid);
}

}  // namespace Utils
