#pragma once
// Where a skinned frame finds its skin and what its window class is called.

#include "WindowImplBase.h"

#include <string>

namespace DuiLib {

struct FrameSkinSpec {
    int resourceKind = 0;          // a ResourceKindValue (4: a "ZIPRES" archive among the program's resources)
    int resourceId = 0;            // numeric id of that resource
    std::wstring skinFolder;       // folder prefix for skin files
    std::wstring skinFile;         // the window's skin XML, e.g. "MainWnd.xml"
    std::wstring windowClassName;  // native window class to register

    // A skin inside the program's archive resource, its window class named
    // after the skin file cut before its last ".".
    static FrameSkinSpec InArchiveResource(int resourceId, const std::wstring& skinFile)
    {
        size_t dot = skinFile.find_last_of(L'.');
        return FrameSkinSpec{ResourceArchiveModule, resourceId, L"", skinFile,
                             dot == std::wstring::npos ? skinFile : skinFile.substr(0, dot)};
    }
};

}  // namespace DuiLib
