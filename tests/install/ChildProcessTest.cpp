// The child process runner against real child programs: the stand-in package
// is copied into a fresh folder and scripted ("out" makes one read of each
// write, "put" and "flood" leave the read sizes to the pipe), and the runner
// reads its output with a parser that just keeps the lines. Every read runs
// on a helper thread with a bound, so a runner that hangs fails the case.
#include "FakeExecutable.h"
#include "LingeringChild.h"
#include "ScriptText.h"
#include "install/ChildProcess.h"
#include "install/OutputLines.h"
#include "Utils/Exception.h"
#include "Utils/UniqueResource.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace {

using InstallTest::FakeExecutable;
using Lines = std::vector<std::wstring>;

class ChildProcessTest : public ::testing::Test {
protected:
    ChildProcessTest() : child_(L"fake_package", dir_ / L"child.exe") {}

    void SetUp() override { ASSERT_TRUE(child_.Placed()); }

    std::wstring Quoted() const { return L"\"" + child_.Path() + L"\""; }

    // Starts the child with the script, then runs step (reading) and waits for
    // the child, within the bound; false when that did not end in time (the
    // child is then ended so the case can finish).
    bool RunBounded(const std::string& script, const std::function<void(ChildProcess&)>& step,
                    std::chrono::seconds bound = std::chrono::seconds(30))
    {
        child_.Script(script);
        runner_ = ChildProcess::Launch(Quoted());
        std::future<void> done = std::async(std::launch::async, [&] {
            step(*runner_);
            runner_->WaitForExit();
        });
        if (done.wait_for(bound) == std::future_status::ready) return true;
        Utils::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, runner_->ProcessId()));
        if (process) ::TerminateProcess(process.Get(), 1);
        helper_.Stop();
        done.wait();
        return false;
    }

    // Reads the lines; parse answers nonzero for the line finalLine (when given).
    bool ReadLines(const std::string& script, const std::wstring& finalLine = std::wstring())
    {
        return RunBounded(script, [&](ChildProcess& runner) {
            finalWord_ = runner.ReadLines(codePage_, [&](const std::wstring& line) {
                lines_.push_back(line);
                return !finalLine.empty() && line == finalLine ? 1 : 0;
            });
        });
    }

    TestSupport::TestTempDir dir_;
    FakeExecutable child_;
    InstallTest::LingeringChild helper_{dir_ / L"helper.exe"};
    std::unique_ptr<ChildProcess> runner_;
    int32_t codePage_ = 0;
    Lines lines_;
    bool finalWord_ = false;
};

TEST_F(ChildProcessTest, LinesAreWholeWhateverTheReadsCutThem)
{
    // Three writes, three reads, cutting through two lines.
    ASSERT_TRUE(ReadLines("out Progr\nout ess=0.5\\r\\nState=Fa\nout il\\n\n"));
    EXPECT_EQ(lines_, (Lines{L"Progress=0.5\r", L"State=Fail"}));
    EXPECT_FALSE(finalWord_);
}

TEST_F(ChildProcessTest, UnfinishedLastLineIsParsedWhenTheOutputEnds)
{
    ASSERT_TRUE(ReadLines("out \\n\\nEr\nout ror=disk full\n"));
    EXPECT_EQ(lines_, (Lines{L"", L"", L"Error=disk full"}));
}

TEST_F(ChildProcessTest, MultibyteCharacterCutByAReadIsDecodedWhole)
{
    codePage_ = 65001;  // "中" in UTF-8 is E4 B8 AD
    ASSERT_TRUE(ReadLines("out Message=\\xE4\\xB8\nout \\xAD\\n\n"));
    codePage_ = 936;  // and D6 D0 in the Chinese ANSI code page, lead byte first
    ASSERT_TRUE(ReadLines("out Message=\\xD6\nout \\xD0\\n\n"));
    EXPECT_EQ(lines_, (Lines{L"Message=中", L"Message=中"}));
}

TEST_F(ChildProcessTest, CodePageChangeAppliesFromTheNextLine)
{
    // All three lines in one write: the change still holds for the line after it.
    ASSERT_TRUE(RunBounded("out \\xE4\\xB8\\xAD\\nswitch\\n\\xE4\\xB8\\xAD\\n\n", [&](ChildProcess& runner) {
        runner.ReadLines(codePage_, [&](const std::wstring& line) {
            lines_.push_back(line);
            if (line == L"switch") codePage_ = 65001;
            return 0;
        });
    }));
    ASSERT_EQ(lines_.size(), 3u);
    EXPECT_EQ(lines_[0], OutputLines::Decode("\xE4\xB8\xAD", 0)) << "decoded in the ANSI code page";
    EXPECT_EQ(lines_[2], L"中");
}

TEST_F(ChildProcessTest, ZeroByteEndsTheTextOfItsLineOnly)
{
    ASSERT_TRUE(ReadLines("out abc\\0def\\nState=Fail\\n\nout " + std::string(5000, 'A') + "\n"));
    EXPECT_EQ(lines_, (Lines{L"abc", L"State=Fail", std::wstring(5000, L'A')}));
}

TEST_F(ChildProcessTest, OutputStillInThePipeWhenTheChildEndsIsRead)
{
    // One write of 100 lines without waiting for the reader, then the child
    // ends at once: nearly all of it is still in the pipe by then.
    ASSERT_TRUE(ReadLines("put " + InstallTest::RepeatedLines("Progress=0.25 and some padding", 100) +
                          "Error=late\\n\n"));
    ASSERT_EQ(lines_.size(), 101u);
    EXPECT_EQ(lines_.back(), L"Error=late");
}

TEST_F(ChildProcessTest, AfterTheFinalWordTheRestIsReadButNotParsed)
{
    // Megabytes after the final word: unless they are read, the child blocks
    // on the full pipe and never reaches its exit code.
    ASSERT_TRUE(ReadLines("out Progress=0.5\\nError=x\\nProgress=0.6\\n\nflood 2000 " + std::string(1000, 'x') +
                              "\\n\nout State=Success\\n\nexit 4\n",
                          L"Error=x"));
    EXPECT_TRUE(finalWord_);
    EXPECT_EQ(lines_, (Lines{L"Progress=0.5", L"Error=x"}));
    EXPECT_EQ(runner_->ExitCode(), 4u);
}

TEST_F(ChildProcessTest, ProgramHoldingThePipeAfterTheChildEndedDoesNotHoldTheReader)
{
    ASSERT_TRUE(helper_.Placed());
    // The helper lives a minute; the reading must end with the child.
    ASSERT_TRUE(ReadLines(helper_.SpawnDirective() + "\nsleep 1000\nout Progress=0.5\\n\nput State=Success\n"))
        << "the reader waited for the helper";
    EXPECT_EQ(lines_, (Lines{L"Progress=0.5", L"State=Success"}));
    EXPECT_TRUE(helper_.Running()) << "the helper must still hold the pipe for this case to show anything";
}

TEST_F(ChildProcessTest, ChildThatClosesItsOutputAndGoesOnIsWaitedFor)
{
    ASSERT_TRUE(ReadLines("out Progress=0.5\\n\ncloseout\nsleep 500\nexit 3\n"));
    EXPECT_EQ(lines_, Lines{L"Progress=0.5"});
    EXPECT_EQ(runner_->ExitCode(), 3u) << "the wait ends with the child, not with its output";
}

TEST_F(ChildProcessTest, DiscardingReadsToTheEndAndTheChildEnds)
{
    ASSERT_TRUE(RunBounded("flood 3000 " + std::string(1000, 'y') + "\nexit 5\n",
                           [](ChildProcess& runner) { runner.DiscardOutput(); }));
    EXPECT_EQ(runner_->ExitCode(), 5u);
}

TEST_F(ChildProcessTest, CrashMidLineGivesItsExitCodeAndTheLinesSoFar)
{
    ASSERT_TRUE(ReadLines("put Progress=0.5\\nState=Succ\ncrash\nout never\n"));
    EXPECT_EQ(lines_, (Lines{L"Progress=0.5", L"State=Succ"}));
    EXPECT_EQ(runner_->ExitCode(), 0xC0000005u);
}

TEST_F(ChildProcessTest, FloodOnStandardErrorDoesNotBlockTheChild)
{
    ASSERT_TRUE(ReadLines("err 3000000\nout Progress=1\\n\n"));
    EXPECT_EQ(lines_, Lines{L"Progress=1"});
}

TEST_F(ChildProcessTest, CommandLineOfAtMost1023CharactersIsPassedWhole)
{
    child_.Script("");
    std::wstring line = Quoted() + L" /S -x=";
    line += std::wstring(1023 - line.size(), L'y');
    ASSERT_EQ(line.size(), 1023u);
    std::unique_ptr<ChildProcess> runner = ChildProcess::Launch(line);
    EXPECT_EQ(std::wstring(runner->CommandLine()), line);
    runner->DiscardOutput();
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

}  // namespace
