#pragma once
// The one operation every downloader offers, and the codes its reports carry.
// A run reports 1001 first, any number of 1002, then exactly one of 1003, 1004
// or 1005; a 1006 notice comes directly before the ending report. The progress
// of the ending reports carries a result code, not a fraction.

#include "download/StatusCallback.h"

enum DownloadCode : int {
    DL_CODE_START = 1001,     // progress 1.0
    DL_CODE_PROGRESS = 1002,  // fraction done, 0.0 to 1.0
    DL_CODE_SUCCESS = 1003,   // file complete (verified where a digest was available)
    DL_CODE_FAIL = 1004,      // failed for good; progress = the last result code
    DL_CODE_RETRY = 1005,     // the owner is asked to start the same downloader again
    DL_CODE_MD5_NOTICE = 1006 // digest notice, informational
};

class CDownloader {
public:
    virtual ~CDownloader() = default;
    // Begins a run on a worker thread and returns at once. The owner may call it
    // again, also from inside the 1005 report on the reporting thread.
    virtual void Start() = 0;
};
