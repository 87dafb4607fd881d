#include "CWinDownloader.h"

#include "AddressText.h"
#include "FileDigest.h"
#include "LocalFile.h"
#include "WorkerGuard.h"
#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <wininet.h>

#include <cwchar>
#include <cwctype>

namespace {

const wchar_t kUrlDownloadToFile[] = L"URLDownloadToFile";

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    size_t n = std::wcslen(prefix);
    return text.size() >= n && ::_wcsnicmp(text.c_str(), prefix, n) == 0;
}

// The value of one header of raw response headers ("Name: value" lines); false when absent.
bool HeaderValue(const std::wstring& headers, const wchar_t* name, std::wstring& value)
{
    size_t begin = 0;
    while (begin < headers.size()) {
        size_t end = headers.find(L'\n', begin);
        if (end == std::wstring::npos) end = headers.size();
        std::wstring line = headers.substr(begin, end - begin);
        begin = end + 1;
        size_t colon = line.find(L':');
        if (colon == std::wstring::npos) continue;
        std::wstring key = line.substr(0, colon);
        while (!key.empty() && std::iswspace(key.back())) key.pop_back();
        if (::_wcsicmp(key.c_str(), name) != 0) continue;
        size_t first = line.find_first_not_of(L" \t\r", colon + 1);
        size_t last = line.find_last_not_of(L" \t\r");
        value = first == std::wstring::npos ? std::wstring() : line.substr(first, last - first + 1);
        return true;
    }
    return false;
}

// COM for the worker thread, released when the run ends.
class ComScope {
public:
    ComScope() { ::CoInitialize(nullptr); }
    ~ComScope() { ::CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

}  // namespace

HRESULT CWinDownloader::Verdict(HRESULT result, const std::wstring& address, const AttemptFacts& facts,
                                int64_t fileSize)
{
    if (result != S_OK) return result;
    bool httpsStart = StartsWithNoCase(address, L"https:");
    if (facts.redirectedToHttp || (httpsStart && StartsWithNoCase(facts.effectiveUrl, L"http:"))) {
        return INET_E_REDIRECT_FAILED;
    }
    if (facts.status != 0 && (facts.status < 200 || facts.status > 299)) {
        return facts.status == 404 || facts.status == 410 ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    }
    if (fileSize < 0 || (facts.contentLength >= 0 && fileSize != facts.contentLength)) return INET_E_DOWNLOAD_FAILURE;
    return S_OK;
}

CWinDownloader::CBindCallback::~CBindCallback() { cancel_ = true; }

void CWinDownloader::CBindCallback::BeginAttempt(const std::wstring& address)
{
    address_ = address;
    facts_ = AttemptFacts();
    binding_ = nullptr;
}

HRESULT CWinDownloader::CBindCallback::QueryInterface(REFIID riid, void** object)
{
    // The platform asks for the negotiation interface to tell us the answer's status.
    if (object && IsEqualIID(riid, IID_IHttpNegotiate)) {
        *object = static_cast<IHttpNegotiate*>(this);
        return S_OK;
    }
    if (object) *object = nullptr;
    return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnStartBinding(DWORD, IBinding* binding)
{
    binding_ = binding;
    return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnStopBinding(HRESULT, LPCWSTR)
{
    binding_ = nullptr;
    return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                                  LPCWSTR statusText)
{
    try {
        return Progress(progress, progressMax, statusCode, statusText);
    } catch (...) {
        Utils::LogEscapedException(L"CWinDownloader progress callback");
        facts_.broken = true;
        return E_ABORT;
    }
}

HRESULT CWinDownloader::CBindCallback::Progress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                                LPCWSTR statusText)
{
    if (cancel_ || facts_.broken) return E_ABORT;
    if (statusCode == BINDSTATUS_REDIRECTING && statusText) {
        facts_.effectiveUrl = statusText;
        if (StartsWithNoCase(address_, L"https:") && StartsWithNoCase(facts_.effectiveUrl, L"http:")) {
            facts_.redirectedToHttp = true;
            return E_ABORT;
        }
    }
    // Some platforms follow redirections without telling: ask where the data comes from.
    if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA) LearnEffectiveUrl();
    if (progressMax == 0) return S_OK;
    double fraction = static_cast<double>(progress) / static_cast<double>(progressMax);
    if (callback_ && fraction >= highest_) {
        highest_ = fraction;
        callback_(DL_CODE_PROGRESS, fraction, L"");
    }
    return S_OK;
}

void CWinDownloader::CBindCallback::LearnEffectiveUrl()
{
    if (!facts_.effectiveUrl.empty() || !binding_) return;
    IWinInetHttpInfo* info = nullptr;
    if (FAILED(binding_->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&info))) || !info) return;
    wchar_t buffer[INTERNET_MAX_URL_LENGTH + 1] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (SUCCEEDED(info->QueryOption(INTERNET_OPTION_URL, buffer, &size))) {
        // The option comes wide or narrow depending on the platform; an
        // address starts with an ASCII letter, so a wide one has a zero byte next.
        const char* bytes = reinterpret_cast<const char*>(buffer);
        facts_.effectiveUrl = bytes[0] != 0 && bytes[1] == 0 ? std::wstring(buffer) : Utils::ToWide(bytes, CP_ACP);
    }
    info->Release();
}

HRESULT CWinDownloader::CBindCallback::GetBindInfo(DWORD*, BINDINFO* info)
{
    if (info) info->dwCodePage = CP_UTF8;
    return E_NOTIMPL;
}

HRESULT CWinDownloader::CBindCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders)
{
    if (additionalHeaders) *additionalHeaders = nullptr;
    return S_OK;
}

HRESULT CWinDownloader::CBindCallback::OnResponse(DWORD status, LPCWSTR responseHeaders, LPCWSTR,
                                                  LPWSTR* additionalHeaders)
{
    if (additionalHeaders) *additionalHeaders = nullptr;
    try {
        facts_.status = static_cast<long>(status);
        facts_.contentLength = ContentLengthOf(responseHeaders ? responseHeaders : L"");
    } catch (...) {
        Utils::LogEscapedException(L"CWinDownloader response callback");
        facts_.broken = true;
    }
    return S_OK;
}

int64_t CWinDownloader::CBindCallback::ContentLengthOf(const std::wstring& headers)
{
    std::wstring value;
    if (HeaderValue(headers, L"Content-Encoding", value) && !value.empty() && ::_wcsicmp(value.c_str(), L"identity"))
        return -1;
    if (!HeaderValue(headers, L"Content-Length", value) || value.empty()) return -1;
    int64_t length = 0;
    for (wchar_t c : value) {
        if (c < L'0' || c > L'9' || length > (INT64_MAX - 9) / 10) return -1;
        length = length * 10 + (c - L'0');
    }
    return length;
}

CWinDownloader::CWinDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination)
    : owner_(owner), destination_(destination ? destination : L""), address_(address ? address : L"")
{
    pending_ = WorkerSlot::MakeWorker(&CWinDownloader::dlThreadFun, this);
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

void CWinDownloader::Start()
{
    bindCallback_.SetStatusCallback(owner_);
    // Every start after the first gets a fresh worker: a thread runs one download.
    std::unique_ptr<Utils::Thread> next =
        pending_ ? std::move(pending_) : WorkerSlot::MakeWorker(&CWinDownloader::dlThreadFun, this);
    if (worker_.Replace(std::move(next))) return;
    LogLine(L"the download worker could not be started");
    owner_(DL_CODE_START, 1.0, L"");
    owner_(DL_CODE_FAIL, static_cast<double>(static_cast<int32_t>(E_FAIL)), kUrlDownloadToFile);
}

void CWinDownloader::EndRun(bool& ended, const Ending& ending)
{
    ended = true;
    if (ending.notice) owner_(DL_CODE_MD5_NOTICE, 0.0, ending.notice);
    owner_(ending.code, ending.progress, ending.text);
}

uint32_t CWinDownloader::dlThreadFun(void* downloader)
{
    CWinDownloader* self = static_cast<CWinDownloader*>(downloader);
    if (self->abandoned_) return 0;
    bool ended = false;
    Utils::RunGuarded(
        L"CWinDownloader worker", [&] { self->EndRun(ended, self->Run()); },
        [&] {
            if (!ended) self->EndRun(ended, {DL_CODE_FAIL, static_cast<double>(static_cast<int32_t>(E_FAIL))});
        });
    return 0;
}

CWinDownloader::Ending CWinDownloader::Run()
{
    ComScope com;
    owner_(DL_CODE_START, 1.0, L"");
    if (destination_.empty()) return {DL_CODE_FAIL, 1.0, nullptr, L""};
    std::wstring address = Utils::IsFileAddress(address_) ? address_ : Utils::UrlFormEncode(address_);
    bindCallback_.BeginRun();
    HRESULT result = E_FAIL;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        bindCallback_.BeginAttempt(address);
        result = ::URLDownloadToFileW(nullptr, address.c_str(), destination_.c_str(), 0, &bindCallback_);
        const AttemptFacts& facts = bindCallback_.Facts();
        if (facts.broken) {
            Utils::DeleteLocalFile(destination_);
            return {DL_CODE_FAIL, static_cast<double>(static_cast<int32_t>(E_ABORT))};
        }
        result = Verdict(result, address, facts, Utils::LocalFileSize(destination_));
        if (result == S_OK) return Verify(facts.effectiveUrl.empty() ? address : facts.effectiveUrl);
        LogLine(L"URLDownloadToFile attempt %d: 0x%08lX (status %ld)", attempt, static_cast<unsigned long>(result),
                facts.status);
        // What the platform wrote is not the package.
        Utils::DeleteLocalFile(destination_);
        ::Sleep(kPauseMs);
    }
    return {DL_CODE_FAIL, static_cast<double>(static_cast<int32_t>(result))};
}

CWinDownloader::Ending CWinDownloader::Verify(const std::wstring& effectiveUrl)
{
    std::string expected = Utils::GetUrlMd5(Utils::ToNarrow(effectiveUrl, CP_UTF8));
    if (expected.size() != Utils::kMd5TextLength) return {DL_CODE_SUCCESS, 0.0};
    std::string actual = Utils::GetFileMd5(destination_);
    // A file that cannot be hashed is no evidence of a bad download.
    if (actual.size() != Utils::kMd5TextLength || actual == expected) return {DL_CODE_SUCCESS, 0.0};
    Utils::DeleteLocalFile(destination_);
    const wchar_t* mismatch = L"win文件md5校验失败";
    if (retriedOnce_) return {DL_CODE_FAIL, 0.0, mismatch};
    retriedOnce_ = true;
    return {DL_CODE_RETRY, 0.0, mismatch};
}
