#pragma once
// What the sequencer needs of the installer's settings, handed down by its
// owner so the install layer never reads the process-wide record.

#include "download/DownloadSettings.h"

#include <string>

struct SequencerSettings {
    // 2 the system downloader, 3 the multi-part downloader, any other value
    // the single-stream downloader.
    int downloadType = 1;
    // Before removing an older version, wait until the product has been closed.
    bool insNew = false;
    // Appended to the package's command line when not empty.
    std::wstring instCmd;
    // False when the HTTP library's process-wide initialisation failed.
    bool httpLibraryReady = true;

    DownloadSettings Download() const
    {
        DownloadSettings download;
        download.downloadType = downloadType;
        download.httpLibraryReady = httpLibraryReady;
        return download;
    }
};
