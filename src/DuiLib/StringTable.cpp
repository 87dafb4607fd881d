#include "StringTable.h"

namespace DuiLib {

std::map<int, std::wstring>& StringTable::Table()
{
    static std::map<int, std::wstring> table;
    return table;
}

void StringTable::Add(int id, const std::wstring& text) { Table()[id] = text; }

const std::wstring* StringTable::Find(int id)
{
    auto it = Table().find(id);
    return it == Table().end() ? nullptr : &it->second;
}

void StringTable::Clear() { Table().clear(); }

std::wstring StringTable::Expand(const std::wstring& text)
{
    if (text.find(L"%{") == std::wstring::npos) return text;
    std::wstring out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = text.find(L"%{", pos);
        if (start == std::wstring::npos) break;
        size_t digits = start + 2;
        size_t end = digits;
        while (end < text.size() && text[end] >= L'0' && text[end] <= L'9') ++end;
        out.append(text, pos, start - pos);
        // Ids beyond int range cannot be registered, so they stay as written.
        const std::wstring* value = nullptr;
        if (end > digits && end < text.size() && text[end] == L'}' && end - digits <= 9) {
            value = Find(std::stoi(text.substr(digits, end - digits)));
        }
        if (value) {
            out += *value;
            pos = end + 1;
        } else {
            out.append(text, start, 2);
            pos = start + 2;
        }
    }
    out.append(text, pos, std::wstring::npos);
    return out;
}

}  // namespace DuiLib
