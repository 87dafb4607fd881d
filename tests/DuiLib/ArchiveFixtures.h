#pragma once
// Where the archive tests find their material: the fixtures made at build
// time beside the test executables, and the skin archive embedded in the
// running test executable itself.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "DuiLib/ResourceState.h"
#include "support/TestFiles.h"

namespace ArchiveTests {

constexpr int kSkinResourceId = 147;

inline std::wstring FixturePath(const std::wstring& name)
{
    return TestSupport::BinDir() + L"\\duilib_archive_fixtures\\" + name;
}

inline std::string EmbeddedSkinBytes()
{
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(kSkinResourceId), L"ZIPRES");
    if (!found) return std::string();
    HGLOBAL loaded = ::LoadResource(self, found);
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    return data ? std::string(data, ::SizeofResource(self, found)) : std::string();
}

// Suites that read the shipped skin set through the resource state, as the
// first window of the installer loads it.
class EmbeddedSkinSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DuiLib::ResetResourceState();
        DuiLib::SetArchiveFormat7z(true);
        ASSERT_TRUE(DuiLib::LoadArchiveResource(::GetModuleHandleW(nullptr), kSkinResourceId));
    }
    static void TearDownTestSuite() { DuiLib::ResetResourceState(); }
};

}  // namespace ArchiveTests
