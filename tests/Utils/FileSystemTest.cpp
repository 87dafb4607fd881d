#include "Utils/FileSystem.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <vector>

namespace {

using TestSupport::FileExists;
using TestSupport::TestTempDir;

TEST(CreateDirectories, CreatesEachMissingLevelInOrder)
{
    std::set<std::wstring> present = {L"C:\\"};
    std::vector<std::wstring> created;
    auto exists = [&](const std::wstring& p) { return present.count(p) != 0; };
    auto create = [&](const std::wstring& p) {
        created.push_back(p);
        present.insert(p);
        return true;
    };
    EXPECT_TRUE(Utils::CreateDirectoriesWith(L"C:\\a\\b\\c", exists, create));
    EXPECT_EQ(created, (std::vector<std::wstring>{L"C:\\a\\", L"C:\\a\\b\\", L"C:\\a\\b\\c"}));

    created.clear();
    EXPECT_TRUE(Utils::CreateDirectoriesWith(L"C:\\a\\b\\c", exists, create));
    EXPECT_TRUE(created.empty()) << "an existing path creates nothing";
}

TEST(CreateDirectories, StopsAtTheFirstLevelThatCannotBeCreated)
{
    std::vector<std::wstring> tried;
    auto exists = [](const std::wstring& p) { return p == L"C:\\"; };
    auto create = [&](const std::wstring& p) {
        tried.push_back(p);
        return false;
    };
    EXPECT_FALSE(Utils::CreateDirectoriesWith(L"C:\\a\\b", exists, create));
    EXPECT_EQ(tried, std::vector<std::wstring>{L"C:\\a\\"});
}

TEST(CreateDirectories, RealFoldersAndTheLengthLimit)
{
    TestTempDir temp;
    const std::wstring deep = temp / L"one\\two words\\三";
    EXPECT_TRUE(Utils::CreateDirectories(deep));
    EXPECT_TRUE(FileExists(deep));
    EXPECT_TRUE(Utils::CreateDirectories(deep + L"\\"));

    // A file where a folder should be.
    ASSERT_TRUE(TestSupport::WriteBytes(temp / L"file", "x"));
    EXPECT_FALSE(Utils::CreateDirectories(temp / L"file\\sub"));

    std::wstring base = temp.Path() + L"\\";
    std::wstring at259 = base + std::wstring(259 - base.size(), L'a');
    std::wstring at260 = at259 + L"b";
    EXPECT_FALSE(Utils::CreateDirectories(at260));
    EXPECT_FALSE(FileExists(at260));
    // 259 characters pass the limit; the platform may still refuse a name that long.
    std::vector<std::wstring> made;
    EXPECT_TRUE(Utils::CreateDirectoriesWith(
        at259, [](const std::wstring&) { return false; },
        [&](const std::wstring& p) {
            made.push_back(p);
            return true;
        }));
    EXPECT_EQ(made.back(), at259);
}

TEST(TempWorkDir, IsThePrivateFolderUnderTheTemporaryPath)
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = Utils::GetTempWorkDir();
    EXPECT_EQ(dir, std::wstring(temp) + L"~NorVoTemp.92482B06FB471E17\\");
    EXPECT_TRUE(FileExists(dir));
    EXPECT_EQ(Utils::GetTempWorkDir(), dir) << "an existing folder is reused";

    std::wstring longTemp = L"C:\\" + std::wstring(240, L'x') + L"\\";
    EXPECT_EQ(Utils::TempWorkDirFor(longTemp), L"") << "260 characters or more is not available";
}

}  // namespace
