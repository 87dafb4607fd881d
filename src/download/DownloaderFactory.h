#pragma once
// Selection by the DownloadType setting: 2 the system downloader, 3 the
// multi-part downloader, every other value the single-stream downloader.

#include "download/CDownloader.h"

#include <memory>

std::unique_ptr<CDownloader> CreateDownloader(int downloadType, const StatusCallback& owner,
                                              const wchar_t* address, const wchar_t* destination);
