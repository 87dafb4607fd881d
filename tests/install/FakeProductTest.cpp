// The stand-in product "lumora.exe" stays running until its stop file
// appears, so later tests can have "the product is running" for real.
#include "FakeExecutable.h"
#include "Utils/UniqueResource.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FakeProduct, RunsUntilItsStopFileAppears)
{
    TestSupport::TestTempDir dir;
    InstallTest::FakeExecutable product(L"fake_product", dir / L"lumora.exe");
    ASSERT_TRUE(product.Placed());
    std::wstring line = L"\"" + product.Path() + L"\" -from-test";
    std::vector<wchar_t> text(line.begin(), line.end());
    text.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, text.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &info));
    Utils::UniqueHandle process(info.hProcess);
    Utils::UniqueHandle thread(info.hThread);

    // Its record appears once it runs; it must then keep running.
    for (int i = 0; i < 600 && product.RecordedCommandLine().empty(); ++i) ::Sleep(50);
    EXPECT_EQ(product.RecordedCommandLine(), line);
    EXPECT_EQ(::WaitForSingleObject(process.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));

    ASSERT_TRUE(TestSupport::WriteBytes(product.Path() + L".stop", ""));
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 99;
    ::GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 0u);
}

}  // namespace
