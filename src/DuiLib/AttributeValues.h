#pragma once
// Readers for the attribute value formats of the skin files. Bad text gives a
// defined value (0, an empty rectangle, false) instead of failing.

#include <windows.h>

#include <cstdint>
#include <string>

namespace DuiLib {

// "#AARRGGBB", "0xAARRGGBB" or bare hexadecimal; six digits leave alpha 0.
uint32_t ParseColor(const std::wstring& text);
// Leading decimal integer with optional sign; anything else gives 0.
int ParseInt(const std::wstring& text);
// "l,t,r,b": up to four integers, each after one separator character.
RECT ParseRect(const std::wstring& text);
// "cx,cy".
SIZE ParseSize(const std::wstring& text);
// "true" in any case.
bool ParseBool(const std::wstring& text);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
// An attribute name as the toolkit's own controls match it (lower case). The
// builder hands controls the name as the skin spells it, so a control may
// apply rules of its own to the spelling.
std::wstring AttributeKey(const std::wstring& name);
bool ContainsText(const std::wstring& text, const wchar_t* part);

inline BYTE ColorAlpha(uint32_t argb) { return static_cast<BYTE>(argb >> 24); }
inline COLORREF ToColorRef(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace DuiLib
