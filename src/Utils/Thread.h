#pragma once
// One platform thread running one callable with one untyped argument: created
// suspended, named for debuggers, logged at its start and end, waited for on
// Join and on destruction. Never Join or destroy it from its own body.

#include "UniqueResource.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Utils {

class Thread {
public:
    using Body = std::function<uint32_t(void*)>;

    Thread(Body body, void* argument, std::wstring name);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when the platform thread could not be made: the body never runs,
    // and the owner must report the failure itself.
    bool Resume();
    void Join();

    uint32_t Id() const { return id_; }
    HANDLE NativeHandle() const { return handle_.Get(); }

    static unsigned __stdcall CallBack(void* object);

private:
    uint32_t id_ = 0;
    UniqueHandle handle_;
    Body body_;
    void* argument_;
    std::wstring name_;
};

// The text debuggers show: the name in the ANSI code page, or "t<id>" when empty.
std::string DebuggerThreadName(const std::wstring& name, uint32_t threadId);
// Gives the thread its debugger name (the platform's naming call where it
// exists, and the naming exception for an attached debugger).
void NameThreadForDebugger(HANDLE thread, uint32_t threadId, const std::wstring& name);

}  // namespace Utils
