#pragma once
// Names the installer's windows and their tests share: skin files, control
// names, notification types and the fixed texts of the prompts.

namespace SkinNames {

// Skin files in the program's archive (looked up without regard to case).
inline constexpr wchar_t kMainSkin[] = L"MainWnd.xml";
inline constexpr wchar_t kNoticeSkin[] = L"MessageBox1Wnd.xml";
inline constexpr wchar_t kErrorSkin[] = L"MessageBox2Wnd.xml";
inline constexpr wchar_t kExitSkin[] = L"ExitTipWnd.xml";
inline constexpr wchar_t kNetworkSkin[] = L"NetworkTipWnd.xml";
inline constexpr wchar_t kInstalledCopySkin[] = L"InstalledPathTipWnd.xml";

inline constexpr wchar_t kMainWindowTitle[] = L"Lumora";
inline constexpr int kSkinArchiveId = 147;
inline constexpr int kIconId = 145;

// Pages of "mainTabLt".
enum MainPage : int { kStartPage = 0, kCustomPage = 1, kProgressPage = 2, kFinishPage = 3 };

// Notifications the main window sends itself, from its root control.
inline constexpr wchar_t kInstallNotify[] = L"install";
inline constexpr wchar_t kCheckNetNotify[] = L"checknet";
// Timers on the root control after a successful install.
inline constexpr unsigned kBringForwardTimer = 10;
inline constexpr unsigned kCloseTimer = 11;

// Texts of the prompts the code fills in.
inline constexpr wchar_t kProductRunningText[] = L"安装程序检测到Lumora\r\n正在运行，请退出程序后再安装";
inline constexpr wchar_t kWarmCaption[] = L"温馨提示";
inline constexpr wchar_t kMessageCaption[] = L"消息";
inline constexpr wchar_t kInvalidFolderText[] = L"无效路径";
inline constexpr wchar_t kPoorNetworkText[] = L"当前网络环境较差，请在网络通畅时进行安装";
inline constexpr wchar_t kBrowseTitle[] = L"选择一个文件夹";

}  // namespace SkinNames
