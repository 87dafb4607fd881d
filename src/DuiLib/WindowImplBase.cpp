#include "WindowImplBase.h"

#include "ControlUI.h"
#include "DialogBuilder.h"
#include "DuiLib/ResourceState.h"
#include "GdiHandles.h"

#include <windowsx.h>

namespace DuiLib {

const wchar_t kSkinLoadFailureText[] = L"加载资源文件失败";

namespace {

std::wstring ExecutableFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring text(path, n);
    size_t slash = text.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : text.substr(0, slash + 1);
}

}  // namespace

LRESULT CaptionHitTest(const PaintManager& manager, POINT pt, const RECT& client)
{
    const RECT& caption = manager.GetCaptionRect();
    bool inBand = pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
                  pt.y >= client.top + caption.top && pt.y < client.top + caption.bottom;
    if (!inBand) return HTCLIENT;
    CControlUI* control = manager.FindControlAt(pt);
    if (control) {
        std::wstring kind = control->GetClass();
        if (kind == L"Button" || kind == L"Option" || kind == L"Text") return HTCLIENT;
    }
    return HTCAPTION;
}

WindowImplBase::WindowImplBase() = default;

// The window goes while the paint manager and the tree its messages reach
// still exist; its WM_NCDESTROY releases the tree.
WindowImplBase::~WindowImplBase() { DestroyNativeWindow(); }

UINT WindowImplBase::WindowClassStyle() const { return CS_DBLCLKS; }

void WindowImplBase::OnWindowDestroyed(HWND)
{
    paintManager_.RemoveMessageFilter(this);
    paintManager_.RemoveNotifier(this);
    paintManager_.ReleaseRoot();
    paintManager_.Init(nullptr);
}

void WindowImplBase::OnSkinLoaded() {}

void WindowImplBase::OnClick(NotifyMessage& msg)
{
    if (!msg.sender) return;
    const std::wstring& name = msg.sender->GetName();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        ::SendMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"maxbtn") {
        ::SendMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    } else if (name == L"restorebtn") {
        ::SendMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
    }
}

LRESULT WindowImplBase::OnDefaultKey(WPARAM key)
{
    if (key == VK_ESCAPE) {
        Close(1);
        return TRUE;
    }
    return FALSE;
}

int WindowImplBase::ResourceKind() const { return ResourceFile; }

std::wstring WindowImplBase::ArchiveName() const { return std::wstring(); }

LPCWSTR WindowImplBase::ResourceId() const { return L""; }

LONG WindowImplBase::WindowStyle() const
{
    return static_cast<LONG>(::GetWindowLongW(window_, GWL_STYLE) & ~WS_CAPTION);
}

void WindowImplBase::Notify(NotifyMessage& msg) { LoopDispatch(msg); }

const NotifyMap& WindowImplBase::MessageMap() const
{
    static const NotifyMap map{
        {L"click", L"", static_cast<NotifyHandler>(&WindowImplBase::OnClick)},
    };
    return map;
}

LRESULT WindowImplBase::FilterMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled)
{
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        LRESULT result = OnDefaultKey(wParam);
        handled = result != FALSE;
        return result;
    }
    return 0;
}

std::unique_ptr<CControlUI> WindowImplBase::CreateControl(const std::wstring&) { return nullptr; }

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // A handler may destroy the window (and so release the tree) while it or
    // an outer handler still works with controls: they stay until it returns.
    PaintManager::UseScope use(paintManager_);
    LRESULT result = 0;
    if (paintManager_.PreMessageHandler(msg, wParam, lParam, result)) return result;
    bool handled = true;
    switch (msg) {
    case WM_CLOSE: result = OnClose(msg, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(msg, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(msg, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(msg, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(msg, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(msg, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(msg, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(msg, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(msg, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(msg, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(msg, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(msg, wParam, lParam, handled); break;
    case WM_CREATE: result = OnCreate(msg, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(msg, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(msg, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(msg, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(msg, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(msg, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(msg, wParam, lParam, handled); break;
    default: handled = false; break;
    }
    if (!handled) {
        handled = false;
        result = OnOtherMessage(msg, wParam, lParam, handled);
    }
    if (handled) return result;
    if (paintManager_.MessageHandler(msg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if (::IsIconic(window_)) {
        handled = false;
        return 0;
    }
    // Keeps the system from drawing an inactive caption over the skin.
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(window_, &pt);
    RECT client{};
    ::GetClientRect(window_, &client);
    paintManager_.EnsureLayout();
    return CaptionHitTest(paintManager_, pt, client);
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    // A maximised borderless window covers the work area, not the taskbar.
    info->ptMaxPosition.x = monitor.rcWork.left - monitor.rcMonitor.left;
    info->ptMaxPosition.y = monitor.rcWork.top - monitor.rcMonitor.top;
    info->ptMaxSize.x = monitor.rcWork.right - monitor.rcWork.left;
    info->ptMaxSize.y = monitor.rcWork.bottom - monitor.rcWork.top;
    SIZE minInfo = paintManager_.GetMinInfo();
    SIZE maxInfo = paintManager_.GetMaxInfo();
    if (minInfo.cx > 0) info->ptMinTrackSize.x = minInfo.cx;
    if (minInfo.cy > 0) info->ptMinTrackSize.y = minInfo.cy;
    if (maxInfo.cx > 0) info->ptMaxTrackSize.x = maxInfo.cx;
    if (maxInfo.cy > 0) info->ptMaxTrackSize.y = maxInfo.cy;
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    SIZE round = paintManager_.GetRoundCorner();
    if (wParam != SIZE_MINIMIZED && (round.cx != 0 || round.cy != 0)) {
        RECT box{};
        ::GetWindowRect(window_, &box);
        UniqueRegion region(::CreateRoundRectRgn(0, 0, box.right - box.left + 1, box.bottom - box.top + 1, round.cx,
                                                 round.cy));
        // The system owns the region once it is set.
        if (region && ::SetWindowRgn(window_, region.Get(), TRUE)) region.Release();
    }
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool&)
{
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::SendMessageW(window_, WM_CLOSE, 0, 0);
        return 0;
    }
    return ::DefWindowProcW(window_, msg, wParam, lParam);
}

bool WindowImplBase::PrepareResources()
{
    int kind = ResourceKind();
    if (GetResourcePath().empty()) SetResourcePath(ExecutableFolder() + SkinFolder());
    if (kind == ResourceArchiveFile) {
        SetArchiveFile(ArchiveName(), true);
    } else if (kind == ResourceArchiveModule) {
        LPCWSTR id = ResourceId();
        if (!IS_INTRESOURCE(id)) return false;
        return LoadArchiveResource(GetResourceModule(), static_cast<int>(reinterpret_cast<ULONG_PTR>(id)),
                                   SkinFolder());
    }
    return true;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&)
{
    LONG style = WindowStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongW(window_, GWL_STYLE, style);
    ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    paintManager_.Init(window_);
    paintManager_.AddMessageFilter(this);
    if (!PrepareResources()) return 0;
    DialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(SkinFile(), this, &paintManager_);
    if (!root) {
        ::MessageBoxW(nullptr, kSkinLoadFailureText, L"Duilib", MB_OK | MB_ICONERROR);
        ::ExitProcess(1);
    }
    paintManager_.AttachDialog(std::move(root));
    paintManager_.AddNotifier(this);
    OnSkinLoaded();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

LRESULT WindowImplBase::OnOtherMessage(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return 0;
}

}  // namespace DuiLib
