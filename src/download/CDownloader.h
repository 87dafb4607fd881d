#pragma once
// The one operation every downloader offers, and the codes its reports carry.
// A run reports 1001 first, any number of 1002, then exactly one of 1003, 1004
// or 1005; a 1006 notice comes directly before the ending report. The progress
// of the ending reports carries a result code, not a fraction.

#include "StatusCallback.h"

class CDownloader {
public:
    virtual ~CDownloader() = default;
    // Begins a run on a worker thread and returns at once. The owner may call it
    // again, also from inside the 1005 report on the reporting thread.
    virtual void Start() = 0;
};
