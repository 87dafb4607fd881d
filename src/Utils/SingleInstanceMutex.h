#pragma once

#include "UniqueResource.h"

#include <string>

namespace Utils {

// A named mutex that tells whether another process already holds the name.
class SingleInstanceMutex {
public:
    explicit SingleInstanceMutex(std::wstring name);

    // The mutex handle, or null when the mutex already existed (another
    // instance runs). Repeated calls keep what the first one got.
    HANDLE Acquire();
    HANDLE Handle() const { return handle_.Get(); }
    std::wstring FullName() const;

private:
    std::wstring name_;
    UniqueHandle handle_;
};

}  // namespace Utils
