// The checks before an install attempt, in their order, with the platform
// calls steered; and the real calls once on the prefix's own drive.

#include "windows/AttemptChecks.h"

#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

const unsigned long long kGiB = 1073741824ull;

struct Host {
    std::vector<std::wstring> running;
    bool folderCreated = true;
    unsigned long long available = 5 * kGiB;
    std::vector<std::wstring> calls;

    AttemptHost Seam()
    {
        AttemptHost host;
        host.isRunning = [this](const std::wstring& exe) {
            calls.push_back(L"running " + exe);
            for (const std::wstring& name : running) {
                if (name == exe) return true;
            }
            return false;
        };
        host.createFolder = [this](const std::wstring& folder) {
            calls.push_back(L"create " + folder);
            return folderCreated;
        };
        host.availableBytes = [this](const std::wstring& folder) {
            calls.push_back(L"space " + folder);
            return available;
        };
        return host;
    }
};

TEST(AttemptChecks, VerdictsInTheirOrder)
{
    struct Case {
        const char* name;
        std::vector<std::wstring> running;
        bool overRunning;
        bool created;
        unsigned long long available;
        AttemptVerdict verdict;
    } cases[] = {
        {"all clear", {}, false, true, 5 * kGiB, AttemptVerdict::Proceed},
        {"exactly 1 GiB is enough", {}, false, true, kGiB, AttemptVerdict::Proceed},
        {"one byte less is not", {}, false, true, kGiB - 1, AttemptVerdict::LowDiskSpace},
        {"half a GiB", {}, false, true, kGiB / 2, AttemptVerdict::LowDiskSpace},
        {"folder refused before the space", {}, false, false, 0, AttemptVerdict::InvalidFolder},
        {"product running", {L"lumora.exe"}, false, true, 5 * kGiB, AttemptVerdict::ProductRunning},
        {"uninstaller copy first", {L"lumora.exe", L"Lumora_un_asa.exe"}, false, true, 5 * kGiB,
         AttemptVerdict::UninstallerCopyRunning},
        {"image names are case-sensitive", {L"Lumora.exe"}, false, true, 5 * kGiB, AttemptVerdict::Proceed},
        {"installing over a running product", {L"lumora.exe", L"Lumora_un_asa.exe"}, true, true, 5 * kGiB,
         AttemptVerdict::Proceed},
        {"installing over it still needs space", {L"lumora.exe"}, true, true, 0, AttemptVerdict::LowDiskSpace},
    };
    for (const Case& c : cases) {
        Host host;
        host.running = c.running;
        host.folderCreated = c.created;
        host.available = c.available;
        EXPECT_EQ(c.verdict, CheckInstallAttempt(L"D:\\Apps\\Lumora", c.overRunning, host.Seam())) << c.name;
    }
}

TEST(AttemptChecks, NoFolderIsMadeWhileTheProductRuns)
{
    Host host;
    host.running = {L"lumora.exe"};
    CheckInstallAttempt(L"D:\\Apps\\Lumora", false, host.Seam());
    EXPECT_EQ((std::vector<std::wstring>{L"running Lumora_un_asa.exe", L"running lumora.exe"}), host.calls);
}

TEST(AttemptChecks, RealHostCreatesTheFolderAndMeasuresItsDrive)
{
    TestSupport::TestTempDir dir;
    std::wstring folder = dir / L"新 文件夹\\Apps\\Lumora";
    EXPECT_EQ(AttemptVerdict::Proceed, CheckInstallAttempt(folder, false, SystemAttemptHost()));
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));

    std::wstring tooLong = dir / std::wstring(300, L'a');
    EXPECT_EQ(AttemptVerdict::InvalidFolder, CheckInstallAttempt(tooLong, false, SystemAttemptHost()));
}

}  // namespace
