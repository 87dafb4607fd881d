#include "Utils/Exception.h"
#include "Utils/Thread.h"
#include "support/LogCapture.h"
#include "support/ThreadChecks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

using TestSupport::FinishesWithin;
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

TEST(Thread, NeverResumedObjectGoesAwayWithoutRunningItsBody)
{
    std::atomic<bool> ran{false};
    LogCapture log;
    auto* thread = new Utils::Thread(
        [&](void*) -> uint32_t {
            ran = true;
            return 0;
        },
        nullptr, L"ABDEF");
    ASSERT_NE(thread->NativeHandle(), nullptr);
    EXPECT_TRUE(FinishesWithin(10000, [thread] { delete thread; }))
        << "destroying an object whose thread was never resumed waits forever";
    EXPECT_FALSE(ran) << "an abandoned thread must not run its body";
    EXPECT_EQ(log.Matching(L"THREAD BEGIN").size(), 0u);
    EXPECT_EQ(log.Matching(L"THREAD ABANDONED").size(), 1u);
}

TEST(Thread, JoinFromItsOwnBodyIsRefusedAndLogged)
{
    LogCapture log;
    std::atomic<bool> returnedFromJoin{false};
    // The body reaches its own object once the creator has published it.
    std::atomic<Utils::Thread*> published{nullptr};
    Utils::Thread* self = new Utils::Thread(
        [&](void*) -> uint32_t {
            while (!published.load()) ::Sleep(1);
            published.load()->Join();
            returnedFromJoin = true;
            return 0;
        },
        nullptr, L"ABDEF");
    published = self;
    ASSERT_TRUE(self->Resume());
    const bool joined = FinishesWithin(10000, [self] { self->Join(); });
    EXPECT_TRUE(joined) << "a Join from the thread's own body waited for itself";
    EXPECT_TRUE(returnedFromJoin);
    EXPECT_EQ(log.Matching(L"THREAD JOIN REFUSED").size(), 1u);
    if (joined) delete self;  // otherwise it is stuck for good: leave it
}

TEST(Thread, DestroyedFromItsOwnBodyFinishesTheBody)
{
    LogCapture log;
    std::atomic<Utils::Thread*> published{nullptr};
    std::atomic<bool> finished{false};
    auto* thread = new Utils::Thread(
        [&](void*) -> uint32_t {
            while (!published.load()) ::Sleep(1);
            delete published.load();
            finished = true;
            return 0;
        },
        nullptr, L"ABDEF");
    published = thread;
    ASSERT_TRUE(thread->Resume());
    for (int i = 0; i < 500 && !finished; ++i) ::Sleep(20);
    EXPECT_TRUE(finished) << "the body did not get past destroying its own object";
    EXPECT_EQ(log.Matching(L"THREAD DESTROYED FROM ITS OWN BODY").size(), 1u);
}

TEST(Thread, AnExceptionEndsTheBodyNotTheProcess)
{
    LogCapture log;
    {
        Utils::Thread thread([](void*) -> uint32_t { throw std::runtime_error("package gone"); }, nullptr, L"ABDEF");
        ASSERT_TRUE(thread.Resume());
    }
    EXPECT_EQ(log.Matching(L"THREAD EXCEPTION package gone").size(), 1u);
    EXPECT_EQ(log.Matching(L"THREAD END").size(), 1u);
}

TEST(Thread, WithoutAPlatformThreadNothingRunsAndNothingWaits)
{
    std::atomic<bool> ran{false};
    Utils::Thread* thread = nullptr;
    {
        TestSupport::NoNewThreads none;
        thread = new Utils::Thread(
            [&](void*) -> uint32_t {
                ran = true;
                return 0;
            },
            nullptr, L"ABDEF");
    }
    EXPECT_EQ(thread->NativeHandle(), nullptr);
    EXPECT_FALSE(thread->Resume()) << "the owner must learn that nothing will run";
    EXPECT_TRUE(FinishesWithin(10000, [thread] {
        thread->Join();
        delete thread;
    }));
    EXPECT_FALSE(ran);
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
