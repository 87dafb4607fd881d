#pragma once
// The system downloader: the platform's URL download, no probe, no partial
// file; up to three attempts one second apart. The platform calls an answer
// that is no package (a 404 page, a cut body, a redirect from https to http)
// a success, so each attempt is judged from what the bind callback saw: the
// final HTTP status and length, and the address the answer came from, whose
// digest the file must match.

#include "CDownloader.h"
#include "WorkerSlot.h"

#include <urlmon.h>

#include <atomic>
#include <cstdint>
#include <string>

class CWinDownloader : public CDownloader {
public:
    static constexpr int kAttempts = 3;
    static constexpr unsigned kPauseMs = 1000;

    // What one platform download showed besides its result.
    struct AttemptFacts {
        long status = 0;              // the final HTTP status; 0 when there was none (a local file)
        int64_t contentLength = -1;   // the final answer's length; -1 when it gave none
        std::wstring effectiveUrl;    // where the answer came from; empty when not learnt
        bool redirectedToHttp = false;
        bool broken = false;  // an exception escaped into a platform callback
    };
    // S_OK when the attempt's file may be kept, else the HRESULT the attempt
    // fails with. fileSize is -1 when there is no file.
    static HRESULT Verdict(HRESULT result, const std::wstring& address, const AttemptFacts& facts, int64_t fileSize);

    // Turns the platform's progress notifications into 1002 reports and
    // collects the facts of the attempt. It lives inside its downloader, so it
    // counts no references and hands out only the negotiation interface.
    class CBindCallback : public IBindStatusCallbackEx, public IHttpNegotiate {
    public:
        CBindCallback() = default;
        virtual ~CBindCallback();

        void SetStatusCallback(const StatusCallback& callback) { callback_ = callback; }
        void Cancel() { cancel_ = true; }
        // A run's progress never falls, also when a later attempt starts over.
        void BeginRun() { highest_ = 0.0; }
        // Forgets the facts of the previous attempt; address is what is asked for.
        void BeginAttempt(const std::wstring& address);
        const AttemptFacts& Facts() const { return facts_; }

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
        ULONG STDMETHODCALLTYPE Release() override { return 0; }
        HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override;
        HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                             LPCWSTR statusText) override;
        HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override;
        HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO* info) override;
        HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) override { return E_NOTIMPL; }

        HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) override;
        HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR responseHeaders, LPCWSTR,
                                             LPWSTR* additionalHeaders) override;

        // The Content-Length of raw response headers; -1 when absent, or when
        // a content encoding makes the file's length differ from it.
        static int64_t ContentLengthOf(const std::wstring& headers);

    private:
        HRESULT Progress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText);
        void LearnEffectiveUrl();

        StatusCallback callback_;
        std::atomic<bool> cancel_{false};
        IBinding* binding_ = nullptr;  // not owned, no reference kept
        std::wstring address_;
        AttemptFacts facts_;
        double highest_ = 0.0;  // the run's highest reported fraction
    };

    CWinDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination);
    ~CWinDownloader() override;

    void Start() override;

    static uint32_t dlThreadFun(void* downloader);

private:
    struct Ending {
        int code;
        double progress;
        const wchar_t* notice = nullptr;
        const wchar_t* text = L"URLDownloadToFile";
    };

    Ending Run();
    Ending Verify(const std::wstring& effectiveUrl);
    void EndRun(bool& ended, const Ending& ending);

    CBindCallback bindCallback_;
    StatusCallback owner_;
    std::wstring destination_;
    std::wstring address_;
    bool retriedOnce_ = false;
    std::unique_ptr<Utils::Thread> pending_;  // made with the object, run by the first start
    WorkerSlot worker_;                        // the worker of the current or last run
    // Set when the object goes away before any start: the suspended worker is
    // then let run only to end at once (waiting for a suspended thread never ends).
    std::atomic<bool> abandoned_{false};
};
