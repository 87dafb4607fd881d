#include "WindowWnd.h"

#include "PaintManager.h"
#include "WindowProcedureGuard.h"

#include <map>

namespace DuiLib {

namespace {

// Original window procedures of superclassed system classes, by our class name.
WNDPROC& SuperclassOriginal(const std::wstring& name)
{
    static std::map<std::wstring, WNDPROC> procs;
    return procs[name];
}

}  // namespace

int CenteredStart(int centerStart, int centerEnd, int size, int areaStart, int areaEnd)
{
    int start = (centerStart + centerEnd) / 2 - size / 2;
    if (start < areaStart) {
        start = areaStart;
    } else if (start + size > areaEnd) {
        start = areaEnd - size;
    }
    return start;
}

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() { DestroyNativeWindow(); }

void CWindowWnd::DestroyNativeWindow()
{
    // The window's last messages (WM_DESTROY, WM_NCDESTROY) still reach this
    // object: whatever part of it is not yet destroyed handles them.
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    // Only the window's own thread can destroy it; from any other, the window
    // at least never calls into this object again.
    if (window_ && ::IsWindow(window_)) ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    window_ = nullptr;
}

std::wstring CWindowWnd::SuperclassName() const { return std::wstring(); }

UINT CWindowWnd::WindowClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

void CWindowWnd::OnWindowDestroyed(HWND) {}

LRESULT CWindowWnd::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (superProc_) return ::CallWindowProcW(superProc_, window_, msg, wParam, lParam);
    return ::DefWindowProcW(window_, msg, wParam, lParam);
}

bool CWindowWnd::RegisterWindowClass()
{
    HINSTANCE instance = PaintManager::GetInstance();
    std::wstring name = WindowClassName();
    std::wstring super = SuperclassName();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!super.empty()) {
        if (!::GetClassInfoExW(nullptr, super.c_str(), &wc) && !::GetClassInfoExW(instance, super.c_str(), &wc)) {
            return false;
        }
        SuperclassOriginal(name) = wc.lpfnWndProc;
        wc.lpfnWndProc = &CWindowWnd::SuperclassProc;
    } else {
        wc.style = WindowClassStyle();
        wc.lpfnWndProc = &CWindowWnd::WindowProc;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    }
    wc.cbSize = sizeof(wc);
    wc.hInstance = instance;
    wc.lpszClassName = name.c_str();
    wc.lpszMenuName = nullptr;
    if (::RegisterClassExW(&wc)) return true;
    return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle, int x, int y, int cx,
                        int cy)
{
    if (window_) return window_;
    if (!RegisterWindowClass()) return nullptr;
    ::CreateWindowExW(exStyle, WindowClassName().c_str(), title.c_str(), style, x, y, cx, cy, owner, nullptr,
                      PaintManager::GetInstance(), this);
    return window_;
}

void CWindowWnd::Close(UINT code)
{
    if (window_ && ::IsWindow(window_)) ::PostMessageW(window_, WM_CLOSE, code, 0);
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus)
{
    if (!window_) return;
    ::ShowWindow(window_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::CenterWindow()
{
    if (!window_) return;
    RECT box{};
    ::GetWindowRect(window_, &box);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT area = monitor.rcWork;
    RECT center = area;
    HWND owner = ::GetWindow(window_, GW_OWNER);
    if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &center);
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    int x = CenteredStart(center.left, center.right, width, area.left, area.right);
    int y = CenteredStart(center.top, center.bottom, height, area.top, area.bottom);
    ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT CWindowWnd::ShowModal()
{
    HWND self = window_;
    if (!self) return 0;
    HWND owner = ::GetWindow(self, GW_OWNER);
    ::ShowWindow(self, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    UINT code = 0;
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (::IsWindow(self)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            quitCode = msg.wParam;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == self) code = static_cast<UINT>(msg.wParam);
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return code;
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(window_, msg, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(window_, msg, wParam, lParam) != FALSE;
}

void CWindowWnd::SetIcon(UINT resourceId)
{
    HINSTANCE instance = PaintManager::GetInstance();
    // Shared icons belong to the system, which frees them.
    HANDLE big = ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                              ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED);
    if (big) ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HANDLE small = ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED);
    if (small) ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CWindowWnd*>(create->lpCreateParams);
        self->window_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        LRESULT result = self->DefaultProc(msg, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        auto destroyed = [&] {
            self->OnWindowDestroyed(hwnd);
            return result;
        };
        return AnswerWithoutExceptions(msg, destroyed, [result] { return result; });
    }
    WNDPROC super = self->superProc_;
    return AnswerWithoutExceptions(
        msg, [&] { return self->HandleMessage(msg, wParam, lParam); },
        [&] {
            return super ? ::CallWindowProcW(super, hwnd, msg, wParam, lParam)
                         : ::DefWindowProcW(hwnd, msg, wParam, lParam);
        });
}

LRESULT CALLBACK CWindowWnd::SuperclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<CWindowWnd*>(create->lpCreateParams);
        self->superProc_ = SuperclassOriginal(self->WindowClassName());
    }
    return WindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace DuiLib
