// dlprobe.exe, run as a real child process against the real servers.
#include "DownloadServers.h"

#include "download/DownloaderFactory.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "download/CCurlDownloader.h"
#include "download/CWinDownloader.h"
#include "download/CMTCurlDownloader.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace DownloadTest;

namespace {

std::vector<std::string> Lines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::vector<std::string> EndingLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> endings;
    for (const auto& line : lines)
        if (line.compare(0, 5, "1002\t") != 0) endings.push_back(line);
    return endings;
}

TestSupport::ProcessResult Probe(const std::wstring& type, const std::wstring& url, const std::wstring& dest,
                                 const std::wstring& extra = L"")
{
    return TestSupport::RunProcess(L"\"" + TestSupport::BinDir() + L"\\dlprobe.exe\" " + type + L" \"" + url +
                                       L"\" \"" + dest + L"\"" + extra,
                                   120000);
}

TEST(DlProbe, SingleStreamSuccessPrintsEveryReport)
{
    TestSupport::TestTempDir dir;
    auto result = Probe(L"1", NginxUrl(L"software/pkg-3145728"), dir / L"p.exe");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_EQ((std::vector<std::string>{"1001\t1.000000\t", "1003\t0.000000\tLibCurl"}),
              EndingLines(Lines(result.output)));
    EXPECT_EQ(PackageMd5(3145728), FileMd5(dir / L"p.exe"));
}

// On 1005 the probe starts the downloader again from inside the report.
TEST(DlProbe, RetriesOnceThenFails)
{
    TestSupport::TestTempDir dir;
    auto result = Probe(L"0", FaultUrl(L"digest=wrong", L"p.exe", nullptr), dir / L"p.exe");
    EXPECT_EQ(1u, result.exitCode);
    EXPECT_EQ((std::vector<std::string>{"1001\t1.000000\t", "1006\t0.000000\tcurl文件md5校验失败",
                                        "1005\t0.000000\tLibCurl", "1001\t1.000000\t",
                                        "1006\t0.000000\tcurl文件md5校验失败", "1004\t0.000000\tLibCurl"}),
              EndingLines(Lines(result.output)));
}

TEST(DlProbe, SystemDownloaderAndLogCopy)
{
    TestSupport::TestTempDir dir;
    auto result = Probe(L"2", NginxUrl(L"plain/pkg-1048576.bin"), dir / L"p.exe", L" -log");
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_NE(std::string::npos, result.output.find("1003\t0.000000\tURLDownloadToFile\n"));
    EXPECT_NE(std::string::npos, result.output.find("THREAD BEGIN")) << "the log goes to standard error";
}

TEST(DlProbe, MultiPartAgainstTheRealServer)
{
    TestSupport::TestTempDir dir;
    auto result = Probe(L"3", NginxUrl(L"software/pkg-26214400"), dir / L"p.exe");
    EXPECT_EQ(0u, result.exitCode);
    EXPECT_EQ((std::vector<std::string>{"1001\t1.000000\t", "1003\t0.000000\tLibCurl"}),
              EndingLines(Lines(result.output)));
    EXPECT_EQ(PackageMd5(26214400), FileMd5(dir / L"p.exe"));
}

// DownloadType 2 and 3 pick the system and multi-part downloaders; every other value the single stream.
TEST(DownloaderSelection, ByDownloadType)
{
    auto ignore = [](int, double, const wchar_t*) {};
    DownloadSettings settings;
    for (int type : {0, 1, 4, -1}) {
        settings.downloadType = type;
        auto d = CreateDownloader(settings, ignore, L"http://127.0.0.1:1/x", L"C:\\nowhere-a.exe");
        EXPECT_NE(nullptr, dynamic_cast<CCurlDownloader*>(d.get())) << type;
    }
    settings.downloadType = 2;
    auto system = CreateDownloader(settings, ignore, L"http://127.0.0.1:1/x", L"C:\\nowhere-b.exe");
    EXPECT_NE(nullptr, dynamic_cast<CWinDownloader*>(system.get()));
    settings.downloadType = 3;
    auto multiPart = CreateDownloader(settings, ignore, L"http://127.0.0.1:1/x", L"C:\\nowhere-c.exe");
    EXPECT_NE(nullptr, dynamic_cast<CMTCurlDownloader*>(multiPart.get()));
}

}  // namespace
