#include "Thread.h"

#include "TextConvert.h"
#include "app/DiagnosticLog.h"

#include <process.h>

#include <cerrno>
#include <exception>

namespace Utils {

namespace {
const DWORD kSetThreadNameException = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
    DWORD type;  // 0x1000
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
};
#pragma pack(pop)

// GCC has no __try/__except: a vectored handler swallows the naming exception
// once the debugger (if any) has seen it.
LONG CALLBACK SwallowNamingException(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode == kSetThreadNameException) return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

void RaiseNamingException(const std::string& text, DWORD threadId)
{
    static PVOID handler = ::AddVectoredExceptionHandler(1, SwallowNamingException);
    if (!handler) return;
    ThreadNameInfo info = {0x1000, text.c_str(), threadId, 0};
    ::RaiseException(kSetThreadNameException, 0, sizeof(info) / sizeof(ULONG_PTR),
                     reinterpret_cast<const ULONG_PTR*>(&info));
}
}  // namespace

std::string DebuggerThreadName(const std::wstring& name, uint32_t threadId)
{
    if (name.empty()) return "t" + std::to_string(threadId);
    return ToNarrow(name, 0);
}

void NameThreadForDebugger(HANDLE thread, uint32_t threadId, const std::wstring& name)
{
    std::string text = DebuggerThreadName(name, threadId);
    using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    auto setDescription = reinterpret_cast<SetThreadDescriptionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "SetThreadDescription")));
    if (setDescription) setDescription(thread, ToWide(text, 0).c_str());
    if (::IsDebuggerPresent()) RaiseNamingException(text, threadId);
}

namespace {

std::atomic<Thread::Creator> g_creator{nullptr};

// What escapes a body ends that body, not the process; the owner learns of it
// through the report its body never sent, and the log says why.
void RunBody(const Thread::Body& body, void* argument)
{
    try {
        if (body) body(argument);
    } catch (const std::exception& e) {
        LogLine(L"THREAD EXCEPTION %s", ToWide(e.what(), 0).c_str());
    } catch (...) {
        LogLine(L"THREAD EXCEPTION");
    }
}

}  // namespace

void Thread::SetCreatorForTesting(Creator creator) { g_creator = creator; }

Thread::Thread(Body body, void* argument, std::wstring name)
    : body_(std::move(body)), argument_(argument), name_(std::move(name))
{
    unsigned id = 0;
    Creator create = g_creator.load();
    uintptr_t handle = create ? create(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id)
                              : ::_beginthreadex(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id);
    if (handle == 0) {
        LogLine(L"THREAD NOT CREATED errno=%d", errno);
        return;
    }
    handle_.Reset(reinterpret_cast<HANDLE>(handle));
    id_ = id;
    NameThreadForDebugger(handle_.Get(), id_, name_);
}

Thread::~Thread()
{
    if (handle_ && !resumed_) {
        // Waiting for a suspended thread never ends: let it run, past its body.
        abandoned_ = true;
        ::ResumeThread(handle_.Get());
    }
    if (RunsOnCallingThread()) {
        // The body ends its own object; it keeps what it runs (see CallBack)
        // and nobody is left to wait for it.
        LogLine(L"THREAD DESTROYED FROM ITS OWN BODY");
        handle_.Reset();
        return;
    }
    Join();
}

bool Thread::Resume()
{
    if (!handle_) return false;
    resumed_ = true;
    return ::ResumeThread(handle_.Get()) != static_cast<DWORD>(-1);
}

bool Thread::RunsOnCallingThread() const { return handle_ && id_ == ::GetCurrentThreadId(); }

void Thread::Join()
{
    if (!handle_) return;
    if (RunsOnCallingThread()) {
        LogLine(L"THREAD JOIN REFUSED: called from its own body");
        return;
    }
    ::WaitForSingleObject(handle_.Get(), INFINITE);
    handle_.Reset();
    id_ = 0xFFFFFFFF;
}

unsigned __stdcall Thread::CallBack(void* object)
{
    Thread* self = static_cast<Thread*>(object);
    if (self->abandoned_) {
        LogLine(L"THREAD ABANDONED");
        ::_endthreadex(0);
        return 0;
    }
    {
        // Taken out of the object, so a body that destroys its own object
        // still has itself and its argument to finish with.
        Body body = std::move(self->body_);
        void* argument = self->argument_;
        LogLine(L"THREAD BEGIN");
        RunBody(body, argument);
        LogLine(L"THREAD END");
    }
    ::_endthreadex(0);
    return 0;
}

}  // namespace Utils
