#include "SingleInstanceMutex.h"

namespace Utils {

SingleInstanceMutex::SingleInstanceMutex(std::wstring name) : name_(std::move(name)) {}

std::wstring SingleInstanceMutex::FullName() const { return L"D1A547DB89C0BC61_" + name_; }

HANDLE SingleInstanceMutex::Acquire()
{
    if (handle_) return handle_.Get();
    UniqueHandle created(::CreateMutexW(nullptr, TRUE, FullName().c_str()));
    if (created && ::GetLastError() == ERROR_ALREADY_EXISTS) return nullptr;
    handle_ = std::move(created);
    return handle_.Get();
}

}  // namespace Utils
