// The child process runner against real child programs: the stand-in package
// is copied into a fresh folder and scripted, and the runner's read loops are
// driven with a parser that just keeps the chunks.
#include "FakeExecutable.h"
#include "install/ChildProcess.h"
#include "Utils/Exception.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using InstallTest::FakeExecutable;

class ChildProcessTest : public ::testing::Test {
protected:
    ChildProcessTest() : child_(L"fake_package", dir_ / L"child.exe") {}

    void SetUp() override { ASSERT_TRUE(child_.Placed()); }

    std::wstring Quoted() const { return L"\"" + child_.Path() + L"\""; }

    // Runs the child with the install read loop; parse answers nonzero for
    // chunks containing stopAt (when given).
    bool InstallLoop(const std::string& script, const std::wstring& stopAt = std::wstring())
    {
        child_.Script(script);
        std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(Quoted());
        bool ended = runner->InstallReadLoop(codePage_, [&](const std::wstring& chunk) {
            chunks_.push_back(chunk);
            return !stopAt.empty() && chunk.find(stopAt) != std::wstring::npos ? 1 : 0;
        });
        runner->WaitForExit();
        return ended;
    }

    std::vector<std::wstring> NonEmptyChunks() const
    {
        std::vector<std::wstring> found;
        for (const auto& chunk : chunks_)
            if (!chunk.empty()) found.push_back(chunk);
        return found;
    }

    TestSupport::TestTempDir dir_;
    FakeExecutable child_;
    int32_t codePage_ = 0;
    std::vector<std::wstring> chunks_;
};

TEST_F(ChildProcessTest, EachWriteArrivesAsItsOwnChunkAndTheLoopEndsWithTheChild)
{
    EXPECT_TRUE(InstallLoop("out Progr\nout ess=0.5\\r\\n\nout State=Success\\n\n"));
    EXPECT_EQ(NonEmptyChunks(), (std::vector<std::wstring>{L"Progr", L"ess=0.5\r\n", L"State=Success\n"}));
}

TEST_F(ChildProcessTest, ChildWithoutOutputEndsTheLoopNormally)
{
    EXPECT_TRUE(InstallLoop(""));
    EXPECT_TRUE(NonEmptyChunks().empty());
}

TEST_F(ChildProcessTest, FullChunkWithoutZeroByteIsTakenWholeAndBytesAfterZeroAreDropped)
{
    std::string full(1024, 'A');
    EXPECT_TRUE(InstallLoop("out " + full + "\nout abc\\0def\n"));
    EXPECT_EQ(NonEmptyChunks(), (std::vector<std::wstring>{std::wstring(1024, L'A'), L"abc"}));
}

TEST_F(ChildProcessTest, CodePageChangeAppliesFromTheNextChunk)
{
    // "中" in UTF-8, twice: the first chunk before the switch, the second after.
    child_.Script("out \\xE4\\xB8\\xAD\nout switch\nout \\xE4\\xB8\\xAD\n");
    std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(Quoted());
    runner->InstallReadLoop(codePage_, [&](const std::wstring& chunk) {
        if (!chunk.empty()) chunks_.push_back(chunk);
        if (chunk == L"switch") codePage_ = 65001;
        return 0;
    });
    runner->WaitForExit();
    ASSERT_EQ(chunks_.size(), 3u);
    EXPECT_EQ(chunks_[0], ChildProcess::DecodeChunk("\xE4\xB8\xAD", 3, 0)) << "decoded in the ANSI code page";
    EXPECT_EQ(chunks_[2], L"\u4E2D");
}

TEST_F(ChildProcessTest, FinalWordStopsReadingWhileTheChildStillWritesAndTheChildStillEnds)
{
    // Far more than any pipe buffer after the final line: without draining,
    // the child would block on the full pipe and the wait would never end.
    EXPECT_FALSE(InstallLoop("out State=Success\\n\nflood 2000 " + std::string(1000, 'x') + "\nout tail\n",
                             L"State=Success"));
    EXPECT_EQ(NonEmptyChunks(), std::vector<std::wstring>{L"State=Success\n"});
    EXPECT_TRUE(InstallTest::WaitForProcessEnd(child_.RecordedProcessId(), 1000));
}

TEST_F(ChildProcessTest, FloodOnStandardErrorDoesNotBlockTheChild)
{
    EXPECT_TRUE(InstallLoop("err 3000000\nout Progress=1\\n\n"));
    EXPECT_EQ(NonEmptyChunks(), std::vector<std::wstring>{L"Progress=1\n"});
}

TEST_F(ChildProcessTest, UninstallLoopKeepsReadingAfterAFinalWord)
{
    child_.Script("out Error=x\\n\nout Progress=0.5\\n\n");
    std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(Quoted());
    bool success = runner->UninstallReadLoop(codePage_, [&](const std::wstring& chunk) {
        if (!chunk.empty()) chunks_.push_back(chunk);
        return chunk.find(L"Error=") != std::wstring::npos ? 1000 : 0;
    });
    runner->WaitForExit();
    EXPECT_FALSE(success);
    ASSERT_GE(chunks_.size(), 1u);
    EXPECT_EQ(chunks_[0], L"Error=x\n");
}

TEST_F(ChildProcessTest, UninstallLoopWithoutOutputKeepsSuccess)
{
    child_.Script("");
    std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(Quoted());
    EXPECT_TRUE(runner->UninstallReadLoop(codePage_, [](const std::wstring&) { return 1; }));
    runner->WaitForExit();
}

TEST_F(ChildProcessTest, ChildThatClosesItsOutputAndGoesOnIsWaitedForByBothLoops)
{
    EXPECT_TRUE(InstallLoop("out Progress=0.5\\n\ncloseout\nsleep 500\n"));
    EXPECT_EQ(NonEmptyChunks(), std::vector<std::wstring>{L"Progress=0.5\n"});

    child_.Script("closeout\nsleep 500\n");
    std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(Quoted());
    EXPECT_TRUE(runner->UninstallReadLoop(codePage_, [](const std::wstring&) { return 1; }));
    runner->WaitForExit();
    EXPECT_TRUE(InstallTest::WaitForProcessEnd(child_.RecordedProcessId(), 0));
}

TEST_F(ChildProcessTest, CommandLineOfAtMost1023CharactersIsPassedWhole)
{
    child_.Script("");
    std::wstring line = Quoted() + L" /S -x=";
    line += std::wstring(1023 - line.size(), L'y');
    ASSERT_EQ(line.size(), 1023u);
    std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(line);
    EXPECT_EQ(std::wstring(runner->CommandLine()), line);
    runner->InstallReadLoop(codePage_, [](const std::wstring&) { return 0; });
    runner->WaitForExit();
    EXPECT_EQ(child_.RecordedCommandLine(), line);
}

TEST_F(ChildProcessTest, LongerCommandLineIsRefusedAndNothingRuns)
{
    child_.Script("");
    std::wstring line = Quoted() + L" /S -x=";
    line += std::wstring(1024 - line.size(), L'y');
    EXPECT_THROW(ChildProcess::Launch(line), Utils::Exception);
    EXPECT_FALSE(child_.Ran());
}

TEST_F(ChildProcessTest, ProgramThatCannotStartThrows)
{
    EXPECT_THROW(ChildProcess::Launch(L"\"" + (dir_ / L"missing.exe") + L"\" /S"), Utils::Exception);
}

TEST(ChildProcessDecode, ChunkTextEndsAtTheFirstZeroByteOrTheBytesRead)
{
    EXPECT_EQ(ChildProcess::DecodeChunk("abc\0def", 7, 0), L"abc");
    EXPECT_EQ(ChildProcess::DecodeChunk("abcdef", 3, 0), L"abc");
    EXPECT_EQ(ChildProcess::DecodeChunk("", 0, 0), L"");
    EXPECT_EQ(ChildProcess::DecodeChunk("\xD6\xD0", 2, 936), L"\u4E2D");
    EXPECT_EQ(ChildProcess::DecodeChunk("\xE4\xB8\xAD", 3, 65001), L"\u4E2D");
    EXPECT_EQ(ChildProcess::DecodeChunk("abc", 3, -5), L"") << "an unknown code page gives no text";
}

}  // namespace
