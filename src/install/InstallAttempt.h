#pragma once
// The inputs of one install attempt, handed to the sequencer by its owner
// (the main window) before each start.

#include <string>

struct InstallAttempt {
    std::wstring downloadUrl;
    std::wstring registeredInstallPath;  // not used by the sequence
    std::wstring oldUninstallerPath;     // the installed version's uninstaller, or empty
    std::wstring installDir;
    bool desktopShortcut = true;
    bool quickLaunchShortcut = true;
    bool consoleUserIsAdmin = true;
    bool processIsAdmin = true;
    std::wstring language;  // interface language code for the package
};
