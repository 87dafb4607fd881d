#include "InstallStatusMessage.h"

bool PostInstallStatus(HWND window, int32_t code, double progress, const wchar_t* text)
{
    // A null window would make the post a thread message nobody frees.
    if (!window) return false;
    auto record = std::make_unique<InstallStatusRecord>();
    record->code = code;
    record->progress = progress;
    record->text = text ? text : L"";
    if (!::PostMessageW(window, kInstallStatusMessage, 0, reinterpret_cast<LPARAM>(record.get()))) return false;
    record.release();  // the message owns it now
    return true;
}

std::unique_ptr<InstallStatusRecord> TakeInstallStatus(LPARAM lParam)
{
    return std::unique_ptr<InstallStatusRecord>(reinterpret_cast<InstallStatusRecord*>(lParam));
}

void DiscardQueuedInstallStatus(HWND window)
{
    MSG msg;
    while (::PeekMessageW(&msg, window, kInstallStatusMessage, kInstallStatusMessage, PM_REMOVE)) {
        TakeInstallStatus(msg.lParam);
    }
}
