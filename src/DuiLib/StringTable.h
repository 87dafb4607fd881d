#pragma once
// The process-wide table of numbered strings that control texts reference
// with %{N} tokens.

#include <map>
#include <string>

namespace DuiLib {

class StringTable {
public:
    // A string under an existing id replaces it.
    static void Add(int id, const std::wstring& text);
    // Null when nothing is registered under id.
    static const std::wstring* Find(int id);
    static void Clear();
    // Replaces each %{N} whose N is registered; other tokens stay as written.
    static std::wstring Expand(const std::wstring& text);

private:
    static std::map<int, std::wstring>& Table();
};

}  // namespace DuiLib
