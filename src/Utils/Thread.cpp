#include "Thread.h"

#include "app/DiagnosticLog.h"
#include "TextConvert.h"

#include <process.h>

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

Thread::Thread(Body body, void* argument, std::wstring name)
    : body_(std::move(body)), argument_(argument), name_(std::move(name))
{
    unsigned id = 0;
    uintptr_t handle = ::_beginthreadex(nullptr, 0, &Thread::CallBack, this, CREATE_SUSPENDED, &id);
    if (handle == 0) return;
    handle_.Reset(reinterpret_cast<HANDLE>(handle));
    id_ = id;
    NameThreadForDebugger(handle_.Get(), id_, name_);
}

Thread::~Thread() { Join(); }

bool Thread::Resume()
{
    return handle_ && ::ResumeThread(handle_.Get()) != static_cast<DWORD>(-1);
}

void Thread::Join()
{
    if (!handle_) return;
    ::WaitForSingleObject(handle_.Get(), INFINITE);
    handle_.Reset();
    id_ = 0xFFFFFFFF;
}

unsigned __stdcall Thread::CallBack(void* object)
{
    Thread* self = static_cast<Thread*>(object);
    LogLine(L"THREAD BEGIN");
    if (self->body_) self->body_(self->argument_);
    LogLine(L"THREAD END");
    ::_endthreadex(0);
    return 0;
}

}  // namespace Utils
