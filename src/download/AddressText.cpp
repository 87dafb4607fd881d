#include "AddressText.h"

#include "Utils/TextConvert.h"

#include <windows.h>

namespace Utils {

bool IsFileAddress(const std::wstring& address) { return address.compare(0, 8, L"file:///") == 0; }

std::string ToCurlAddress(const std::wstring& address)
{
    return ToNarrow(address, IsFileAddress(address) ? CP_ACP : CP_UTF8);
}

std::string ToAnsiPath(const std::wstring& path) { return ToNarrow(path, CP_ACP); }

}  // namespace Utils
