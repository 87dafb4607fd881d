#include "DownloaderFactory.h"

#include "CCurlDownloader.h"
#include "CMTCurlDownloader.h"
#include "CWinDownloader.h"

std::unique_ptr<CDownloader> CreateDownloader(const DownloadSettings& settings, const StatusCallback& owner,
                                              const wchar_t* address, const wchar_t* destination)
{
    if (settings.downloadType == 3) {
        return std::make_unique<CMTCurlDownloader>(owner, address, destination, settings.httpLibraryReady);
    }
    if (settings.downloadType == 2) return std::make_unique<CWinDownloader>(owner, address, destination);
    return std::make_unique<CCurlDownloader>(owner, address, destination);
}
