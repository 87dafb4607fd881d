#include "ShadowRegistry.h"

#include <vector>

namespace DuiLib {

namespace {

std::vector<ShadowRegistry::Entry>& Entries()
{
    static std::vector<ShadowRegistry::Entry> entries;
    return entries;
}

ShadowRegistry::Entry* Lookup(HWND parent)
{
    for (auto& entry : Entries()) {
        if (entry.parent == parent) return &entry;
    }
    return nullptr;
}

}  // namespace

bool ShadowRegistry::Add(HWND parent, CWndShadow* shadow, WNDPROC formerProc)
{
    if (Lookup(parent)) return false;
    Entries().push_back(Entry{parent, shadow, formerProc});
    return true;
}

bool ShadowRegistry::Find(HWND parent, Entry& entry)
{
    const Entry* found = Lookup(parent);
    if (!found) return false;
    entry = *found;
    return true;
}

bool ShadowRegistry::SetShadow(HWND parent, CWndShadow* shadow)
{
    Entry* found = Lookup(parent);
    if (!found) return false;
    found->shadow = shadow;
    return true;
}

bool ShadowRegistry::Remove(HWND parent)
{
    auto& entries = Entries();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->parent == parent) {
            entries.erase(it);
            return true;
        }
    }
    return false;
}

std::size_t ShadowRegistry::Count() { return Entries().size(); }

}  // namespace DuiLib
