#include "Utils/Exception.h"
#include "Utils/Thread.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using TestSupport::LogCapture;

TEST(Thread, RunsOnlyAfterResumeAndExitsWithZero)
{
    std::atomic<int> runs{0};
    int argument = 41;
    Utils::Thread thread(
        [&](void* arg) -> uint32_t {
            runs += *static_cast<int*>(arg) + 1;
            return 5;  // ignored: every worker exits with 0
        },
        &argument, L"ABDEF");
    ASSERT_NE(thread.NativeHandle(), nullptr);
    EXPECT_NE(thread.Id(), 0u);
    EXPECT_EQ(::WaitForSingleObject(thread.NativeHandle(), 200), static_cast<DWORD>(WAIT_TIMEOUT))
        << "created suspended";
    EXPECT_EQ(runs, 0);

    thread.Resume();
    ASSERT_EQ(::WaitForSingleObject(thread.NativeHandle(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1234;
    ASSERT_TRUE(::GetExitCodeThread(thread.NativeHandle(), &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(runs, 42);
}

TEST(Thread, JoinTwiceAndDestructionAfterJoin)
{
    Utils::Thread thread([](void*) -> uint32_t { return 0; }, nullptr, L"UnInstaller");
    thread.Resume();
    thread.Join();
    EXPECT_EQ(thread.NativeHandle(), nullptr);
    EXPECT_EQ(thread.Id(), 0xFFFFFFFFu);
    thread.Join();  // nothing left to wait for
    EXPECT_EQ(thread.Id(), 0xFFFFFFFFu);
}

TEST(Thread, DestructionWaitsForTheBody)
{
    std::atomic<bool> finished{false};
    {
        Utils::Thread thread(
            [&](void*) -> uint32_t {
                ::Sleep(300);
                finished = true;
                return 0;
            },
            nullptr, L"ABDEF");
        thread.Resume();
    }
    EXPECT_TRUE(finished);
}

TEST(Thread, LogsBeginAndEndOnceWithItsOwnThreadId)
{
    LogCapture capture;
    uint32_t id = 0;
    {
        Utils::Thread thread([](void*) -> uint32_t { return 0; }, nullptr, L"ABDEF");
        id = thread.Id();
        thread.Resume();
    }
    wchar_t tid[32];
    swprintf(tid, 32, L"<T%05u>", id);
    auto begins = capture.Matching(L"(Utils::Thread::CallBack)");
    ASSERT_EQ(begins.size(), 2u);
    EXPECT_NE(begins[0].find(L"THREAD BEGIN\r\n"), std::wstring::npos) << begins[0];
    EXPECT_NE(begins[1].find(L"THREAD END\r\n"), std::wstring::npos) << begins[1];
    for (const auto& line : begins) EXPECT_NE(line.find(tid), std::wstring::npos) << line;
}

TEST(Thread, DebuggerNames)
{
    EXPECT_EQ(Utils::DebuggerThreadName(L"", 1234), "t1234");
    EXPECT_EQ(Utils::DebuggerThreadName(L"UnInstaller", 1234), "UnInstaller");

    using GetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    auto getDescription = reinterpret_cast<GetThreadDescriptionFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "GetThreadDescription")));
    if (!getDescription) GTEST_SKIP() << "this Windows has no thread descriptions to read back";
    Utils::Thread thread([](void*) -> uint32_t { return 0; }, nullptr, L"");
    PWSTR description = nullptr;
    ASSERT_TRUE(SUCCEEDED(getDescription(thread.NativeHandle(), &description)));
    EXPECT_EQ(std::wstring(description), L"t" + std::to_wstring(thread.Id()));
    ::LocalFree(description);
    thread.Resume();
}

TEST(Exception, KeepsItsMessageInTheAnsiCodePage)
{
    try {
        throw Utils::Exception(L"child failed");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "child failed");
    }
    EXPECT_STREQ(Utils::Exception().what(), "");
}

}  // namespace
