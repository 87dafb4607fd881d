#pragma once
// The one road from a stage thread to the main window: a heap copy of one
// status report, posted to the window as message 2024 and owned by whoever
// holds it last: the poster until the post succeeds, then the message, then
// the UI thread's handler.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

constexpr UINT kInstallStatusMessage = 2024;

struct InstallStatusRecord {
    int32_t code = 0;
    double progress = 0.0;
    std::wstring text;
};

// Copies the report and posts it to window (wParam 0, lParam the record). A
// record that cannot be posted (the window is gone, the queue is full) is
// freed here; false then. Safe from any thread.
bool PostInstallStatus(HWND window, int32_t code, double progress, const wchar_t* text);

// Takes ownership of the record a message 2024 carries; null for lParam 0.
std::unique_ptr<InstallStatusRecord> TakeInstallStatus(LPARAM lParam);

// Frees the records still queued for window (message 2024), for a window
// about to be destroyed with reports it will never handle.
void DiscardQueuedInstallStatus(HWND window);
