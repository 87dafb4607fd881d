#include "app/CommandLineSwitches.h"
#include "app/InstallerConfig.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using TestSupport::TestTempDir;

const wchar_t kDefaultUrl[] = L"https://dl.norvosoft.com/software/511";

struct Expected {
    std::wstring url = kDefaultUrl;
    int type = 1;
    bool checkNet = false;
    double scale = 0.7;
    std::wstring instCmd;
    int language = -1;
    bool insNew = false;
};

struct SettingsRow {
    const char* name;
    const char* ini;  // null: no config file at all
    const wchar_t* commandLine;
    const wchar_t* osLabel;
    Expected expected;
};

Expected With(std::function<void(Expected&)> change)
{
    Expected e;
    change(e);
    return e;
}

// A config file holding just the section turns IsCheckNet on: its fallback is "true".
Expected Section(std::function<void(Expected&)> change = [](Expected&) {})
{
    return With([&](Expected& e) {
        e.checkNet = true;
        change(e);
    });
}

const SettingsRow kRows[] = {
    {"defaults", nullptr, L"inst.exe", L"7", Expected()},
    {"section only", "[Install]\r\n", L"inst.exe", L"7", Section()},
    {"IsCheckNet=True is not true", "[Install]\r\nIsCheckNet=True\r\n", L"inst.exe", L"7",
     With([](Expected&) {})},
    {"IsCheckNet=true", "[Install]\r\nIsCheckNet=true\r\n", L"inst.exe", L"7", Section()},
    {"scale abc", "[Install]\r\nDownloadScale=abc\r\n", L"inst.exe", L"7", Section([](Expected& e) { e.scale = 0; })},
    {"scale prefix", "[Install]\r\nDownloadScale=0.5xyz\r\n", L"inst.exe", L"7",
     Section([](Expected& e) { e.scale = 0.5; })},
    {"scale exponent", "[Install]\r\nDownloadScale=  25e-2\r\n", L"inst.exe", L"7",
     Section([](Expected& e) { e.scale = 0.25; })},
    // A share outside 0..1, or too large for a double, would push the bar past
    // its ends: the file's value is dropped and the default stays.
    {"scale overflow keeps the default", "[Install]\r\nDownloadScale=1e999\r\n", L"inst.exe", L"7", Section()},
    {"scale above one keeps the default", "[Install]\r\nDownloadScale=1.5\r\n", L"inst.exe", L"7", Section()},
    {"scale below zero keeps the default", "[Install]\r\nDownloadScale=-0.2\r\n", L"inst.exe", L"7", Section()},
    {"scale just past one keeps the default", "[Install]\r\nDownloadScale=1.0000001\r\n", L"inst.exe", L"7",
     Section()},
    {"scale zero", "[Install]\r\nDownloadScale=0\r\n", L"inst.exe", L"7", Section([](Expected& e) { e.scale = 0; })},
    {"scale one", "[Install]\r\nDownloadScale=1\r\n", L"inst.exe", L"7", Section([](Expected& e) { e.scale = 1; })},
    {"scale inf is no number", "[Install]\r\nDownloadScale=inf\r\n", L"inst.exe", L"7",
     Section([](Expected& e) { e.scale = 0; })},
    {"scale hex is not decimal", "[Install]\r\nDownloadScale=0x1p3\r\n", L"inst.exe", L"7",
     Section([](Expected& e) { e.scale = 0; })},
    {"file values", "[Install]\r\nDownloadType=3\r\nInstCmd=/S /x\r\nIsCheckNet=false\r\n", L"inst.exe", L"7",
     With([](Expected& e) {
         e.type = 3;
         e.instCmd = L"/S /x";
     })},
    {"route on 7", "[Install]\r\nDownloadUrl=http://h/${ROUTE}/pkg/${ROUTE}\r\n", L"inst.exe", L"7",
     Section([](Expected& e) { e.url = L"http://h/download_silent/pkg/download_silent"; })},
    {"route on XP", "[Install]\r\nDownloadUrl=http://h/${ROUTE}/pkg/${ROUTE}\r\n", L"inst.exe", L"XP",
     Section([](Expected& e) { e.url = L"http://h/download_silent_xp/pkg/download_silent_xp"; })},
    {"route on 2K", "[Install]\r\nDownloadUrl=http://h/${ROUTE}/pkg/${ROUTE}\r\n", L"inst.exe", L"2K",
     Section([](Expected& e) { e.url = L"http://h/download_silent/pkg/download_silent"; })},
    {"route case matters", "[Install]\r\nDownloadUrl=http://h/${route}/p\r\n", L"inst.exe", L"XP",
     Section([](Expected& e) { e.url = L"http://h/${route}/p"; })},
    {"first switch wins", nullptr, L"inst.exe -downloadtype=3 -downloadtype=2", L"7",
     With([](Expected& e) { e.type = 3; })},
    {"insnew without value", nullptr, L"inst.exe -insnew", L"7", Expected()},
    {"insnew true", nullptr, L"inst.exe -insnew=true", L"7", With([](Expected& e) { e.insNew = true; })},
    {"switch case matters", nullptr, L"inst.exe -DownloadType=2", L"7", Expected()},
    {"url keeps later equals", nullptr, L"inst.exe \"-downloadurl=http://h/a?x=1&y=2\"", L"7",
     With([](Expected& e) { e.url = L"http://h/a?x=1&y=2"; })},
    {"url switch resolves route", nullptr, L"inst.exe -downloadurl=http://h/${ROUTE}/p", L"XP+",
     With([](Expected& e) { e.url = L"http://h/download_silent_xp/p"; })},
    {"empty instcmd clears the file's", "[Install]\r\nInstCmd=/from-file\r\n", L"inst.exe -instcmd=", L"7",
     Section()},
    {"instcmd with blanks", nullptr, L"inst.exe \"-instcmd=/a /b\"", L"7",
     With([](Expected& e) { e.instCmd = L"/a /b"; })},
    {"bool texts", nullptr, L"inst.exe -ischecknet=TRUE", L"7", Expected()},
    {"bool true", nullptr, L"inst.exe -ischecknet=true", L"7", With([](Expected& e) { e.checkNet = true; })},
    {"bool one is false", "[Install]\r\n", L"inst.exe -ischecknet=1", L"7",
     Section([](Expected& e) { e.checkNet = false; })},
    {"integers", nullptr, L"inst.exe -downloadtype=\" 2abc\" -language=-7", L"7", With([](Expected& e) {
         e.type = 2;
         e.language = -7;
     })},
    {"integer without number", nullptr, L"inst.exe -downloadtype=x -language=", L"7", With([](Expected& e) {
         e.type = 0;
         e.language = 0;
     })},
    {"integer beyond 32 bits", nullptr, L"inst.exe -downloadtype=2147483648 -language=-99999999999", L"7",
     With([](Expected& e) {
         e.type = 0;
         e.language = 0;
     })},
    {"integer at the 32-bit edge", nullptr, L"inst.exe -language=-2147483648", L"7",
     With([](Expected& e) { e.language = -2147483647 - 1; })},
    {"separate value token is not taken", nullptr, L"inst.exe -downloadtype 3", L"7",
     With([](Expected& e) { e.type = 0; })},
    {"scale switch", nullptr, L"inst.exe -downloadscale=0.4", L"7", With([](Expected& e) { e.scale = 0.4; })},
    {"scale switch without number keeps the file's", "[Install]\r\nDownloadScale=0.6\r\n",
     L"inst.exe -downloadscale=", L"7", Section([](Expected& e) { e.scale = 0.6; })},
    {"scale switch text keeps the default", nullptr, L"inst.exe -downloadscale=abc", L"7", Expected()},
    {"scale switch overflow keeps the default", nullptr, L"inst.exe -downloadscale=-1e400", L"7", Expected()},
    {"scale switch above one keeps the file's", "[Install]\r\nDownloadScale=0.6\r\n", L"inst.exe -downloadscale=2",
     L"7", Section([](Expected& e) { e.scale = 0.6; })},
    {"scale switch below zero keeps the default", nullptr, L"inst.exe -downloadscale=-0.5", L"7", Expected()},
    {"scale switch nan keeps the default", nullptr, L"inst.exe -downloadscale=nan", L"7", Expected()},
    {"scale switch zero", "[Install]\r\nDownloadScale=0.6\r\n", L"inst.exe -downloadscale=0", L"7",
     Section([](Expected& e) { e.scale = 0; })},
    {"scale switch one", nullptr, L"inst.exe -downloadscale=1", L"7", With([](Expected& e) { e.scale = 1; })},
    {"scale switch after a bad file value", "[Install]\r\nDownloadScale=7\r\n", L"inst.exe -downloadscale=0.25",
     L"7", Section([](Expected& e) { e.scale = 0.25; })},
};

void ExpectSettings(const InstallerConfig& c, const Expected& e, const char* name)
{
    SCOPED_TRACE(name);
    EXPECT_EQ(c.DownloadUrl, e.url);
    EXPECT_EQ(c.DownloadType, e.type);
    EXPECT_EQ(c.IsCheckNet, e.checkNet);
    EXPECT_DOUBLE_EQ(c.DownloadScale, e.scale);
    EXPECT_EQ(c.InstCmd, e.instCmd);
    EXPECT_EQ(c.Language, e.language);
    EXPECT_EQ(c.InsNew, e.insNew);
    EXPECT_TRUE(c.HttpLibraryReady);
}

TEST(InstallerSettings, LayersOfDefaultsFileAndSwitches)
{
    for (const auto& row : kRows) {
        TestTempDir dir;
        const std::wstring ini = dir / InstallerConfig::kConfigFileName;
        if (row.ini) {
            ASSERT_TRUE(TestSupport::WriteBytes(ini, row.ini));
        }
        InstallerConfig config(row.osLabel);
        config.ReadConfigFile(ini);
        config.ApplyCommandLine(row.commandLine);
        ExpectSettings(config, row.expected, row.name);
    }
}

TEST(InstallerSettings, LongFileValuesAreCutTo259Characters)
{
    TestTempDir dir;
    const std::wstring ini = dir / InstallerConfig::kConfigFileName;
    const std::string longCmd(300, 'c');
    ASSERT_TRUE(TestSupport::WriteBytes(ini, "[Install]\r\nInstCmd=" + longCmd + "\r\n"));
    InstallerConfig config(L"7");
    config.ReadConfigFile(ini);
    EXPECT_EQ(config.InstCmd, std::wstring(259, L'c'));

    // Command-line values have no such limit.
    std::wstring longSwitch(1000, L'd');
    config.ApplyCommandLine(L"inst.exe -instcmd=" + longSwitch);
    EXPECT_EQ(config.InstCmd, longSwitch);
}

TEST(CommandLineSwitches, TokensBecomeKeysAndValues)
{
    auto s = CommandLineSwitches::FromCommandLine(L"\"C:\\a b\\inst.exe\" -k=v=w plain -e= \"-q=x y\" -k=later");
    EXPECT_TRUE(s.Has(L"C:\\a b\\inst.exe")) << "the program path is a key too";
    EXPECT_EQ(s.String(L"-k"), L"v=w");
    EXPECT_TRUE(s.Has(L"plain"));
    EXPECT_EQ(s.String(L"plain"), L"");
    EXPECT_TRUE(s.Has(L"-e"));
    EXPECT_EQ(s.String(L"-q"), L"x y");
    EXPECT_FALSE(s.Has(L"-K"));
    EXPECT_EQ(s.Entries().size(), 5u);
}

TEST(InstallerSettings, ConfigFileIsTheOneBesideTheExecutable)
{
    EXPECT_EQ(InstallerConfig::ConfigPathFor(L"C:\\Down loads\\LumoraInstaller.exe"),
              L"C:\\Down loads\\NorvoInstallerConfig.ini");
}

// The process's own record: read during start-up from beside the running exe.
TEST(InstallerSettings, ProcessRecordReadsTheFileBesideTheRunningExe)
{
    TestTempDir dir;
    const std::wstring exe = dir / L"config_probe.exe";
    ASSERT_TRUE(::CopyFileW((TestSupport::BinDir() + L"\\config_probe.exe").c_str(), exe.c_str(), FALSE));

    auto bare = TestSupport::RunProcess(L"\"" + exe + L"\"");
    ASSERT_TRUE(bare.started);
    EXPECT_NE(bare.output.find("DownloadUrl=https://dl.norvosoft.com/software/511\r\n"), std::string::npos)
        << bare.output;
    EXPECT_NE(bare.output.find("IsCheckNet=0"), std::string::npos) << bare.output;

    ASSERT_TRUE(TestSupport::WriteBytes(dir / InstallerConfig::kConfigFileName,
                                        "[Install]\r\nDownloadType=2\r\nDownloadScale=0.3\r\nInstCmd=/file\r\n"));
    auto withFile = TestSupport::RunProcess(L"\"" + exe + L"\" -downloadtype=3 -language=1");
    EXPECT_NE(withFile.output.find("DownloadType=3\r\n"), std::string::npos) << withFile.output;
    EXPECT_NE(withFile.output.find("DownloadScale=0.300000\r\n"), std::string::npos) << withFile.output;
    EXPECT_NE(withFile.output.find("InstCmd=/file\r\n"), std::string::npos) << withFile.output;
    EXPECT_NE(withFile.output.find("IsCheckNet=1\r\n"), std::string::npos) << withFile.output;
    EXPECT_NE(withFile.output.find("Language=1\r\n"), std::string::npos) << withFile.output;
}

}  // namespace
