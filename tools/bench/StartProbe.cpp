// startprobe [-paint] [-timeout=SECONDS] PROGRAM [ARGUMENTS...]
// Starts PROGRAM and measures it from outside, the way a user sees it.
//   -paint   prints "first_paint_ms=T": the time from just before the process
//            is created until a visible top-level window of it shows its own
//            drawing on the screen (at least half of its client area differs
//            from what the screen showed there before the start); then ends
//            the program.
//   without  waits for PROGRAM to exit and returns its exit code.
// Both print "peak_working_set=BYTES", the process's peak working set as last
// read while it ran (the figure is gone with the process). The screen is read
// back through the screen DC, so what counts is what reached the display, and
// the same rule holds for every program measured.
// Exit code: the program's (without -paint), 0 after a measured paint, 2 on
// bad use, 3 when the program did not start, paint or end in time.
#include "DuiLib/GdiHandles.h"
#include "Utils/UniqueResource.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const DWORD kPollMilliseconds = 5;
const DWORD kMemoryPollMilliseconds = 20;

struct Options {
    bool paint = false;
    DWORD timeoutMs = 120000;
    std::wstring commandLine;  // the program and its arguments, quoted again
};

std::wstring Quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    return L"\"" + argument + L"\"";
}

bool ParseOptions(Options& options)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return false;
    int i = 1;
    for (; i < argc && argv[i][0] == L'-'; ++i) {
        std::wstring option = argv[i];
        if (option == L"-paint") {
            options.paint = true;
        } else if (option.rfind(L"-timeout=", 0) == 0) {
            options.timeoutMs = static_cast<DWORD>(std::wcstoul(option.c_str() + 9, nullptr, 10) * 1000);
        } else {
            break;
        }
    }
    for (int first = i; i < argc; ++i) {
        if (i > first) options.commandLine += L' ';
        options.commandLine += Quoted(argv[i]);
    }
    ::LocalFree(argv);
    return !options.commandLine.empty();
}

double MillisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

// ------------------------------------------------------------- the screen

// Pixels of a screen rectangle, 0x00RRGGBB, rows from the top.
struct ScreenPixels {
    RECT rect = {};
    std::vector<uint32_t> pixels;

    uint32_t At(LONG x, LONG y) const
    {
        return pixels[static_cast<size_t>(y - rect.top) * (rect.right - rect.left) + (x - rect.left)] & 0xFFFFFFu;
    }
};

class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

ScreenPixels ReadScreen(const RECT& rect)
{
    ScreenPixels shot;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return shot;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScreenDc screen;
    DuiLib::UniqueBitmap bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    DuiLib::UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
    if (!bitmap || !memory) return shot;
    {
        DuiLib::ScopedSelect select(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
    }
    const auto* first = static_cast<const uint32_t*>(bits);
    shot.rect = rect;
    shot.pixels.assign(first, first + static_cast<size_t>(width) * height);
    return shot;
}

RECT WholeScreen()
{
    return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

// ------------------------------------------------------------ the window

struct WindowSearch {
    DWORD processId;
    HWND found;
};

// A window the user looks at: visible, top-level, of a useful size; drop
// shadows (layered, click-through) and tool windows do not count.
BOOL CALLBACK MatchShownWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window)) return TRUE;
    LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    if (exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW)) return TRUE;
    RECT client;
    if (!::GetClientRect(window, &client) || client.right < 32 || client.bottom < 32) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindShownWindow(DWORD processId)
{
    WindowSearch search = {processId, nullptr};
    ::EnumWindows(MatchShownWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT ClientOnScreen(HWND window)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    ::OffsetRect(&client, origin.x, origin.y);
    RECT visible;
    RECT screen = WholeScreen();
    if (!::IntersectRect(&visible, &client, &screen)) return RECT{};
    return visible;
}

// At least half of a grid of points across the client area differs from the
// screen before the start: the program has drawn, not merely mapped a window.
bool ShowsItsOwnDrawing(HWND window, const ScreenPixels& before)
{
    RECT rect = ClientOnScreen(window);
    ScreenPixels now = ReadScreen(rect);
    if (now.pixels.empty()) return false;
    const LONG step = 4;
    int changed = 0, total = 0;
    for (LONG y = rect.top; y < rect.bottom; y += step) {
        for (LONG x = rect.left; x < rect.right; x += step) {
            ++total;
            if (now.At(x, y) != before.At(x, y)) ++changed;
        }
    }
    return total > 0 && changed * 2 >= total;
}

// ------------------------------------------------------------ the process

class PeakWorkingSet {
public:
    explicit PeakWorkingSet(HANDLE process) : process_(process) {}
    // Reads the counters; false once the process can no longer be read.
    bool Update()
    {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (!::GetProcessMemoryInfo(process_, &counters, sizeof(counters))) return false;
        if (counters.PeakWorkingSetSize > peak_) peak_ = counters.PeakWorkingSetSize;
        return true;
    }
    SIZE_T Bytes() const { return peak_; }

private:
    HANDLE process_;
    SIZE_T peak_ = 0;
};

bool StartProgram(std::wstring commandLine, Utils::UniqueHandle& process, DWORD& processId)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    process.Reset(info.hProcess);
    processId = info.dwProcessId;
    return true;
}

int MeasureFirstPaint(const Options& options)
{
    ScreenPixels before = ReadScreen(WholeScreen());
    if (before.pixels.empty()) {
        std::fprintf(stderr, "startprobe: the screen cannot be read\n");
        return 3;
    }
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    Utils::UniqueHandle process;
    DWORD processId = 0;
    if (!StartProgram(options.commandLine, process, processId)) {
        std::fprintf(stderr, "startprobe: the program did not start (%lu)\n", ::GetLastError());
        return 3;
    }
    PeakWorkingSet memory(process.Get());
    double painted = -1;
    while (painted < 0 && MillisecondsSince(start) < options.timeoutMs) {
        HWND window = FindShownWindow(processId);
        if (window && ShowsItsOwnDrawing(window, before)) {
            painted = MillisecondsSince(start);
        } else if (::WaitForSingleObject(process.Get(), kPollMilliseconds) == WAIT_OBJECT_0) {
            break;
        }
    }
    memory.Update();
    ::TerminateProcess(process.Get(), 0);
    ::WaitForSingleObject(process.Get(), INFINITE);
    if (painted < 0) {
        std::fprintf(stderr, "startprobe: no painted window within %lu ms\n", options.timeoutMs);
        return 3;
    }
    std::printf("first_paint_ms=%.1f\npeak_working_set=%lu\n", painted, static_cast<unsigned long>(memory.Bytes()));
    return 0;
}

int WaitForExit(const Options& options)
{
    Utils::UniqueHandle process;
    DWORD processId = 0;
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    if (!StartProgram(options.commandLine, process, processId)) {
        std::fprintf(stderr, "startprobe: the program did not start (%lu)\n", ::GetLastError());
        return 3;
    }
    PeakWorkingSet memory(process.Get());
    while (::WaitForSingleObject(process.Get(), kMemoryPollMilliseconds) == WAIT_TIMEOUT) {
        memory.Update();
        if (MillisecondsSince(start) >= options.timeoutMs) {
            std::fprintf(stderr, "startprobe: the program did not end within %lu ms\n", options.timeoutMs);
            ::TerminateProcess(process.Get(), 3);
            return 3;
        }
    }
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.Get(), &exitCode);
    std::printf("peak_working_set=%lu\nexit_code=%ld\n", static_cast<unsigned long>(memory.Bytes()),
                static_cast<long>(exitCode));
    return static_cast<int>(exitCode);
}

}  // namespace

int wmain()
{
    Options options;
    if (!ParseOptions(options)) {
        std::fprintf(stderr, "usage: startprobe [-paint] [-timeout=SECONDS] PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    int result = options.paint ? MeasureFirstPaint(options) : WaitForExit(options);
    std::fflush(stdout);
    return result;
}
