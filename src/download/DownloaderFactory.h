#pragma once
// Selection by the download type: 2 the system downloader, 3 the
// multi-part downloader, every other value the single-stream downloader.

#include "CDownloader.h"
#include "DownloadSettings.h"

#include <memory>

std::unique_ptr<CDownloader> CreateDownloader(const DownloadSettings& settings, const StatusCallback& owner,
                                              const wchar_t* address, const wchar_t* destination);
