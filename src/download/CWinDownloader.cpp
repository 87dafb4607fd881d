#include "CWinDownloader.h"

#include "AddressText.h"
#include "Utils/TextConvert.h"

namespace {
const wchar_t kUrlDownloadToFile[] = L"URLDownloadToFile";
}

CWinDownloader::CBindCallback::~CBindCallback() { cancel_ = true; }

HRESULT CWinDownloader::CBindCallback::OnStartBinding(DWORD, IBinding* binding)
{
    binding_ = binding;
    return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR)
{
    if (cancel_) return E_ABORT;
    if (progressMax == 0) return S_OK;
    if (callback_) {
        callback_(DL_CODE_PROGRESS, static_cast<double>(progress) / static_cast<double>(progressMax), L"");
    }
    return S_OK;
}

HRESULT CWinDownloader::CBindCallback::GetBindInfo(DWORD*, BINDINFO* info)
{
    if (info) info->dwCodePage = CP_UTF8;
    return E_NOTIMPL;
}

CWinDownloader::CWinDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination)
    : owner_(owner), destination_(destination ? destination : L""), address_(address ? address : L"")
{
    pending_ = MakeWorker();
}

CWinDownloader::~CWinDownloader()
{
    bindCallback_.Cancel();
    if (pending_) {
        abandoned_ = true;
        pending_->Resume();
        pending_.reset();
    }
    worker_.JoinAll();
}

std::unique_ptr<Utils::Thread> CWinDownloader::MakeWorker()
{
    return std::make_unique<Utils::Thread>(&CWinDownloader::dlThreadFun, this, L"ABDEF");
}

void CWinDownloader::Start()
{
    bindCallback_.SetStatusCallback(owner_);
    // Every start after the first gets a fresh worker: a thread runs one download.
    worker_.Replace(pending_ ? std::move(pending_) : MakeWorker());
}

uint32_t CWinDownloader::dlThreadFun(void* downloader)
{
    CWinDownloader* self = static_cast<CWinDownloader*>(downloader);
    if (!self->abandoned_) self->Run();
    return 0;
}

void CWinDownloader::Run()
{
    ::CoInitialize(nullptr);
    owner_(DL_CODE_START, 1.0, L"");
    if (destination_.empty()) {
        owner_(DL_CODE_FAIL, 1.0, L"");
        ::CoUninitialize();
        return;
    }
    std::wstring address = Utils::IsFileAddress(address_) ? address_ : Utils::UrlFormEncode(address_);
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        HRESULT result = ::URLDownloadToFileW(nullptr, address.c_str(), destination_.c_str(), 0, &bindCallback_);
        if (result == S_OK) {
            owner_(DL_CODE_SUCCESS, 0.0, kUrlDownloadToFile);
            break;
        }
        ::Sleep(kPauseMs);
        if (attempt == kAttempts) owner_(DL_CODE_FAIL, static_cast<double>(static_cast<int32_t>(result)), kUrlDownloadToFile);
    }
    ::CoUninitialize();
}
