#pragma once
// The process-wide list of parent windows whose procedure a shadow has
// replaced: which shadow each parent feeds and the procedure it had before.
// Used only from the UI thread; nothing here is locked.

#include <windows.h>

#include <cstddef>

namespace DuiLib {

class CWndShadow;

class ShadowRegistry {
public:
    struct Entry {
        HWND parent;
        CWndShadow* shadow;  // not owned; null once the shadow has gone before its parent
        WNDPROC formerProc;
    };

    // False when the parent is already listed.
    static bool Add(HWND parent, CWndShadow* shadow, WNDPROC formerProc);
    // A copy of the parent's entry; false when it is not listed.
    static bool Find(HWND parent, Entry& entry);
    // Points the parent's entry at another shadow (null: none).
    static bool SetShadow(HWND parent, CWndShadow* shadow);
    static bool Remove(HWND parent);
    static std::size_t Count();
};

}  // namespace DuiLib
