// The package's command line: ten items in a fixed order, the quoting of the
// package, the language and the folder, and the optional items left out.
#include "ReportRecorder.h"
#include "install/CInstaller.h"

#include <gtest/gtest.h>

namespace {

class PackageCommandLine : public ::testing::Test {
protected:
    InstallTest::ReportRecorder recorder_;
};

TEST_F(PackageCommandLine, EveryItemInOrder)
{
    CInstaller installer(recorder_.Callback(), L"\"C:\\My Apps\\__Package_Lumora.exe\"", L"C:\\My Apps", true,
                         false, true);
    installer.SetExtraArguments(L"-channel=7 /X");
    installer.SetLanguage(L"zh-CN");
    EXPECT_EQ(installer.BuildCommandLine(),
              L"\"C:\\My Apps\\__Package_Lumora.exe\" /S -console=show -version=1.0.0 -adminact=true "
              L"-authorizationact=true -dsc=false -ssc=true -inslang=\"zh-CN\" -channel=7 /X "
              L"-instdir=\"C:\\My Apps\" /D=C:\\My Apps");
}

TEST_F(PackageCommandLine, EmptyFolderLanguageAndSettingLeaveTheirItemsOut)
{
    CInstaller installer(recorder_.Callback(), L"\"p.exe\"", L"", false, true, false);
    installer.SetProcessIsAdmin(false);
    EXPECT_EQ(installer.BuildCommandLine(),
              L"\"p.exe\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=false -dsc=true "
              L"-ssc=false");
}

TEST_F(PackageCommandLine, SettersChangeTheFlagsAndFolder)
{
    CInstaller installer(recorder_.Callback(), L"\"p.exe\"", L"C:\\A", false, false, false);
    installer.SetDesktopShortcut(true);
    installer.SetQuickLaunchShortcut(true);
    installer.SetConsoleUserIsAdmin(true);
    installer.SetInstallDir(L"D:\\B");
    EXPECT_EQ(installer.BuildCommandLine(),
              L"\"p.exe\" /S -console=show -version=1.0.0 -adminact=true -authorizationact=true -dsc=true "
              L"-ssc=true -instdir=\"D:\\B\" /D=D:\\B");
}

}  // namespace
