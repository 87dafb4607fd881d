#include "download/LocalFile.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <io.h>

#include <cstdio>

namespace {

// What was written must reach the disk before a file counts as finished: a
// flush that fails (here the stream's descriptor is gone from under it) is
// reported, not swallowed.
TEST(LocalFile, FailedFlushIsReported)
{
    TestSupport::TestTempDir dir;
    Utils::UniqueCFile file = Utils::OpenLocalFile(dir / L"p.part", L"ab+");
    ASSERT_TRUE(file);
    std::setvbuf(file.Get(), nullptr, _IOFBF, 1 << 16);
    ASSERT_EQ(10u, std::fwrite("0123456789", 1, 10, file.Get())) << "held in the stream's buffer";
    ::_close(::_fileno(file.Get()));
    EXPECT_FALSE(Utils::CloseWrittenFile(file));
    EXPECT_FALSE(file) << "closed either way";
}

TEST(LocalFile, WrittenFileReachesTheDisk)
{
    TestSupport::TestTempDir dir;
    Utils::UniqueCFile file = Utils::OpenLocalFile(dir / L"p.part", L"ab+");
    ASSERT_TRUE(file);
    std::setvbuf(file.Get(), nullptr, _IOFBF, 1 << 16);
    ASSERT_EQ(10u, std::fwrite("0123456789", 1, 10, file.Get()));
    EXPECT_TRUE(Utils::CloseWrittenFile(file));
    EXPECT_EQ(10, Utils::LocalFileSize(dir / L"p.part"));
    EXPECT_EQ(-1, Utils::LocalFileSize(dir / L"missing"));
}

}  // namespace
