#pragma once
// The system downloader: the platform's URL download, no probe, no partial
// file, no digest; up to three attempts one second apart.

#include "CDownloader.h"
#include "WorkerSlot.h"

#include <urlmon.h>

#include <atomic>
#include <string>

class CWinDownloader : public CDownloader {
public:
    static constexpr int kAttempts = 3;
    static constexpr unsigned kPauseMs = 1000;

    // Turns the platform's progress notifications into 1002 reports. It lives
    // inside its downloader, so it counts no references and hands out no
    // interfaces.
    class CBindCallback : public IBindStatusCallbackEx {
    public:
        CBindCallback() = default;
        virtual ~CBindCallback();

        void SetStatusCallback(const StatusCallback& callback) { callback_ = callback; }
        void Cancel() { cancel_ = true; }

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
        ULONG STDMETHODCALLTYPE Release() override { return 0; }
        HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override;
        HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) override;
        HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO* info) override;
        HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) override { return E_NOTIMPL; }

    private:
        StatusCallback callback_;
        std::atomic<bool> cancel_{false};
        IBinding* binding_ = nullptr;  // not owned, no reference kept
    };

    CWinDownloader(const StatusCallback& owner, const wchar_t* address, const wchar_t* destination);
    ~CWinDownloader() override;

    void Start() override;

    static uint32_t dlThreadFun(void* downloader);

private:
    void Run();
    std::unique_ptr<Utils::Thread> MakeWorker();

    CBindCallback bindCallback_;
    StatusCallback owner_;
    std::wstring destination_;
    std::wstring address_;
    std::unique_ptr<Utils::Thread> pending_;  // made with the object, run by the first start
    WorkerSlot worker_;                        // the worker of the current or last run
    // Set when the object goes away before any start: the suspended worker is
    // then let run only to end at once (waiting for a suspended thread never ends).
    std::atomic<bool> abandoned_{false};
};
