#pragma once
// Move-only owners for the platform's handles: one alias per kind of handle,
// each closing its resource exactly once.

#include <windows.h>

#include <utility>

namespace Utils {

// Traits: a value type T, Null() (the "none" value) and Close(T).
template <typename Traits>
class UniqueResource {
    using T = typename Traits::Type;

public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : value_(value) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    T Get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Null(); }

    T Release() noexcept { return std::exchange(value_, Traits::Null()); }
    void Reset(T value = Traits::Null()) noexcept
    {
        T old = std::exchange(value_, value);
        if (old != Traits::Null()) Traits::Close(old);
    }

    // For out-parameters of platform calls; the old value is closed first.
    T* Put() noexcept
    {
        Reset();
        return &value_;
    }

private:
    T value_ = Traits::Null();
};

template <typename T, void (*CloseFn)(T)>
struct NullTraits {
    using Type = T;
    static T Null() noexcept { return nullptr; }
    static void Close(T value) noexcept { CloseFn(value); }
};
template <void (*CloseFn)(HANDLE)>
struct InvalidHandleTraits {
    using Type = HANDLE;
    static HANDLE Null() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE value) noexcept { CloseFn(value); }
};

inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void CloseFindHandle(HANDLE h) { ::FindClose(h); }
inline void CloseLibrary(HMODULE h) { ::FreeLibrary(h); }
inline void CloseRegKey(HKEY h) { ::RegCloseKey(h); }
inline void FreeSidValue(PSID p) { ::FreeSid(p); }

// Kernel objects whose "none" is null (threads, processes, mutexes, events, pipes).
using UniqueHandle = UniqueResource<NullTraits<HANDLE, CloseKernelHandle>>;
// Files from CreateFileW and tool-help snapshots, whose "none" is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueResource<InvalidHandleTraits<CloseKernelHandle>>;
using UniqueFind = UniqueResource<InvalidHandleTraits<CloseFindHandle>>;
using UniqueLibrary = UniqueResource<NullTraits<HMODULE, CloseLibrary>>;
using UniqueRegKey = UniqueResource<NullTraits<HKEY, CloseRegKey>>;
using UniqueSid = UniqueResource<NullTraits<PSID, FreeSidValue>>;

}  // namespace Utils
