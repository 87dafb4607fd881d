#pragma once
// What a downloader needs of the installer's settings, handed down by its
// owner so the download layer never reads the process-wide record.

struct DownloadSettings {
    // 2 the system downloader, 3 the multi-part downloader, any other value
    // the single-stream downloader.
    int downloadType = 0;
    // False when the HTTP library's process-wide initialisation failed.
    bool httpLibraryReady = true;
};
