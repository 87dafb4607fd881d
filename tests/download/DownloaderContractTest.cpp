// What every downloader owes its owner, whatever goes wrong around it: a run
// always ends with its report, an exception never unwinds through the
// platform's or libcurl's frames, destruction never waits on a silent peer,
// and the destination may lie in any folder.
#include "DownloadServers.h"
#include "ReportRecorder.h"

#include "download/DownloaderFactory.h"
#include "download/WorkerSlot.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>

using namespace DownloadTest;

namespace {

const int kTypes[] = {1, 2, 3};

DownloadSettings TypeSettings(int type)
{
    DownloadSettings settings;
    settings.downloadType = type;
    return settings;
}

ReportRecorder::Factory Created(int type, const std::wstring& address, const std::wstring& destination,
                                StatusCallback (*wrap)(const StatusCallback&) = nullptr)
{
    return [=](const StatusCallback& record) {
        return CreateDownloader(TypeSettings(type), wrap ? wrap(record) : record, address.c_str(),
                                destination.c_str());
    };
}

// The worker's platform thread cannot be made: the run still begins and
// fails, at once, from Start itself.
TEST(DownloaderContract, WorkerThatCannotStartStillEndsTheRun)
{
    WorkerSlot::SetThreadMakerForTests([](WorkerSlot::Body, void*) { return std::unique_ptr<Utils::Thread>(); });
    for (int type : kTypes) {
        SCOPED_TRACE(type);
        TestSupport::TestTempDir dir;
        std::vector<int> codes;
        auto downloader = CreateDownloader(TypeSettings(type),
                                           [&](int code, double, const wchar_t*) { codes.push_back(code); },
                                           NginxUrl(L"software/pkg-2097152").c_str(), (dir / L"p.exe").c_str());
        downloader->Start();
        EXPECT_EQ((std::vector<int>{1001, 1004}), codes);
    }
    WorkerSlot::SetThreadMakerForTests(nullptr);
}

// An owner whose receiver throws: on the first report of that code the
// exception is caught where it would leave our code and the run ends with
// 1004 (and nothing after it).
template <int Code>
StatusCallback ThrowingOnce(const StatusCallback& record)
{
    auto thrown = std::make_shared<std::atomic<bool>>(false);
    return [record, thrown](int code, double progress, const wchar_t* text) {
        record(code, progress, text);
        if (code == Code && !thrown->exchange(true)) throw std::runtime_error("the owner failed");
    };
}

TEST(DownloaderContract, ExceptionFromTheOwnerEndsTheRunWithAFailure)
{
    for (int type : kTypes) {
        for (auto wrap : {&ThrowingOnce<DL_CODE_START>, &ThrowingOnce<DL_CODE_PROGRESS>}) {
            SCOPED_TRACE(testing::Message() << "type " << type << (wrap == &ThrowingOnce<DL_CODE_START> ? " 1001" : " 1002"));
            TestSupport::TestTempDir dir;
            ReportRecorder recorder;
            // Slow enough for progress reports.
            recorder.Run(Created(type, FaultUrl(L"rate=1000000", L"x/p.exe", nullptr), dir / L"p.exe", wrap));
            recorder.Release();
            ExpectWellFormedRuns(recorder.Reports());
            EXPECT_EQ((std::vector<int>{1001, 1004}), recorder.Codes());
        }
    }
}

// A peer that accepts and never answers: destroying the downloader while its
// first request waits returns promptly.
TEST(DownloaderContract, DestructionDoesNotWaitForASilentPeer)
{
    for (int type : {1, 3}) {
        SCOPED_TRACE(type);
        TestSupport::TestTempDir dir;
        std::string token;
        auto holder = std::make_shared<std::unique_ptr<CDownloader>>(
            CreateDownloader(TypeSettings(type), [](int, double, const wchar_t*) {},
                             FaultUrl(L"mute=100", L"x/p.exe", &token).c_str(), (dir / L"p.exe").c_str()));
        (*holder)->Start();
        ASSERT_TRUE(WaitForRequests(token, "HEAD", 1));
        EXPECT_TRUE(FinishesWithin(std::chrono::seconds(10), [holder] { holder->reset(); }))
            << "destruction waits for the silent peer";
    }
}

// A destination folder the ANSI code page cannot name.
TEST(DownloaderContract, DestinationOutsideTheAnsiCodePage)
{
    for (int type : kTypes) {
        SCOPED_TRACE(type);
        TestSupport::TestTempDir dir;
        const std::wstring folder = dir / NonAnsiFolderName();
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring destination = folder + L"\\p.exe";
        ReportRecorder recorder;
        recorder.Run(Created(type, NginxUrl(L"software/pkg-26214400"), destination));
        recorder.Release();
        EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
        EXPECT_TRUE(HoldsPackage(destination, 26214400));
    }
}

}  // namespace
