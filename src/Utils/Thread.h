#pragma once
// One platform thread running one callable with one untyped argument: created
// suspended, named for debuggers, logged at its start and end, waited for on
// Join and on destruction. It never hangs its owner: a thread that was never
// resumed is let run only to end at once when its object goes away, and a
// Join or destruction from the thread's own body is refused (logged) instead
// of waiting for itself.

#include "UniqueResource.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace Utils {

class Thread {
public:
    using Body = std::function<uint32_t(void*)>;
    // The shape of the C run-time's _beginthreadex.
    using Creator = uintptr_t (*)(void* security, unsigned stackSize, unsigned(__stdcall* entry)(void*),
                                  void* argument, unsigned flags, unsigned* threadId);

    Thread(Body body, void* argument, std::wstring name);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when the platform thread could not be made: the body never runs,
    // and the owner must report the failure itself.
    bool Resume();
    // Waits for the body to end. Refused (and logged) on the thread itself.
    void Join();

    uint32_t Id() const { return id_; }
    HANDLE NativeHandle() const { return handle_.Get(); }
    bool RunsOnCallingThread() const;

    static unsigned __stdcall CallBack(void* object);

    // Tests stand in for the platform's thread creation, to show what an owner
    // does when no thread can be made. Null restores _beginthreadex.
    static void SetCreatorForTesting(Creator creator);

private:
    uint32_t id_ = 0;
    UniqueHandle handle_;
    Body body_;
    void* argument_;
    std::wstring name_;
    bool resumed_ = false;
    // Set when the object goes away before its thread was resumed: the thread
    // then ends without running the body.
    std::atomic<bool> abandoned_{false};
};

// The text debuggers show: the name in the ANSI code page, or "t<id>" when empty.
std::string DebuggerThreadName(const std::wstring& name, uint32_t threadId);
// Gives the thread its debugger name (the platform's naming call where it
// exists, and the naming exception for an attached debugger).
void NameThreadForDebugger(HANDLE thread, uint32_t threadId, const std::wstring& name);

}  // namespace Utils
