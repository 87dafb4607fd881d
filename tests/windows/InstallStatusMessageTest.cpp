// Reports cross from worker threads to the window as message 2024 records.

#include "windows/InstallStatusMessage.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// A message-only window of this thread.
struct MessageWindow {
    MessageWindow() { window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }
    ~MessageWindow()
    {
        if (window) ::DestroyWindow(window);
    }
    HWND window;
};

TEST(InstallStatusMessage, ReportsFromSeveralThreadsArriveWholeAndInOrderPerThread)
{
    MessageWindow target;
    ASSERT_NE(nullptr, target.window);
    std::vector<std::thread> workers;
    for (int t = 0; t < 3; ++t) {
        workers.emplace_back([&target, t] {
            for (int i = 0; i < 50; ++i) {
                std::wstring text = L"安装 " + std::to_wstring(t) + L"/" + std::to_wstring(i);
                ASSERT_TRUE(PostInstallStatus(target.window, 3000 + t, i / 50.0, text.c_str()));
            }
        });
    }
    for (std::thread& worker : workers) worker.join();

    int next[3] = {0, 0, 0};
    MSG msg;
    while (::PeekMessageW(&msg, target.window, kInstallStatusMessage, kInstallStatusMessage, PM_REMOVE)) {
        std::unique_ptr<InstallStatusRecord> record = TakeInstallStatus(msg.lParam);
        ASSERT_NE(nullptr, record);
        int t = record->code - 3000;
        ASSERT_TRUE(t >= 0 && t < 3);
        EXPECT_EQ(L"安装 " + std::to_wstring(t) + L"/" + std::to_wstring(next[t]), record->text);
        EXPECT_DOUBLE_EQ(next[t] / 50.0, record->progress);
        ++next[t];
    }
    EXPECT_EQ(50, next[0]);
    EXPECT_EQ(50, next[1]);
    EXPECT_EQ(50, next[2]);
}

TEST(InstallStatusMessage, NoWindowNoPost)
{
    MessageWindow gone;
    HWND window = gone.window;
    ::DestroyWindow(window);
    gone.window = nullptr;
    EXPECT_FALSE(PostInstallStatus(window, 2003, 0.0, L""));
    EXPECT_FALSE(PostInstallStatus(nullptr, 2003, 0.0, nullptr));
    EXPECT_EQ(nullptr, TakeInstallStatus(0));
}

}  // namespace
