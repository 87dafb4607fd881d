#pragma once
// Every code a stage reports through StatusCallback, named as the diagnostic
// log prints them. Downloaders send 1001-1006, the package driver 2001-2004
// and the package facts 3000-3009, the uninstaller driver 5002-5005; no other
// code occurs.

enum StatusCode : int {
    DL_CODE_START = 1001,       // progress 1.0
    DL_CODE_PROGRESS = 1002,    // fraction done, 0.0 to 1.0
    DL_CODE_SUCCESS = 1003,     // file complete (verified where a digest was available)
    DL_CODE_FAIL = 1004,        // failed for good; progress = the last result code
    DL_CODE_RETRY = 1005,       // the owner is asked to start the same downloader again
    DL_CODE_MD5_NOTICE = 1006,  // digest notice, informational

    IST_CODE_START = 2001,
    IST_CODE_PROGRESS = 2002,  // the package's fraction
    IST_CODE_SUCCESS = 2003,
    IST_CODE_FAIL = 2004,  // 0.0 "State=Fail", 1000.0 "Error=", 2.0 not startable

    PKG_INSTALL_PATH = 3000,
    PKG_EXE_PATH = 3001,
    PKG_UNINSTALLER_PATH = 3002,
    PKG_UNINSTALL_ENTRY = 3003,
    PKG_START_URL = 3004,
    PKG_STARTUP_STYLE = 3005,    // 0 do not start, 1 at success, 2 by the user
    PKG_TOP_SHOW_DELAY = 3007,   // milliseconds
    PKG_CLOSE_DELAY = 3008,      // milliseconds
    PKG_MESSAGE = 3009,

    UNIST_CODE_PROGRESS = 5002,
    UNIST_CODE_SUCCESS = 5003,
    UNIST_CODE_FAIL = 5004,   // 1.0 uninstaller missing, 2.0 not startable
    UNIST_CODE_ERROR = 5005,  // the uninstaller reported failure
};

// The code's name as above, or "" for a number that is not a status code.
const wchar_t* StatusCodeName(int code);

// True for the reports that end a whole download-and-install sequence: 1004,
// 2003, 2004, 5004 and 5005.
bool IsSequenceFinal(int code);
