#include "WndShadow.h"

#include "GdiHandles.h"
#include "ImageDescription.h"
#include "RenderEngine.h"
#include "ShadowRegistry.h"
#include "app/DiagnosticLog.h"

#include <algorithm>
#include <cstring>

namespace DuiLib {

const wchar_t CWndShadow::kWindowClass[] = L"DuiShadowWnd";

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

// Process-wide, set once by Initialize.
struct ShadowProcessState {
    UpdateLayeredWindowFn updateLayeredWindow = nullptr;
    HINSTANCE instance = nullptr;
};

ShadowProcessState& ProcessState()
{
    static ShadowProcessState state;
    return state;
}

LRESULT CALLBACK ShadowWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // A click that reaches the shadow must not take activation from the parent.
    if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

RECT AddRects(const RECT& a, const RECT& b)
{
    return RECT{a.left + b.left, a.top + b.top, a.right + b.right, a.bottom + b.bottom};
}

}  // namespace

CWndShadow::CWndShadow() = default;

CWndShadow::~CWndShadow() { Detach(); }

bool CWndShadow::Initialize(HINSTANCE instance)
{
    ShadowProcessState& state = ProcessState();
    if (state.updateLayeredWindow) return false;
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    auto update = user32 ? reinterpret_cast<UpdateLayeredWindowFn>(
                               reinterpret_cast<void*>(::GetProcAddress(user32, "UpdateLayeredWindow")))
                         : nullptr;
    if (!update) return false;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &ShadowWindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(6));
    wc.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    state.updateLayeredWindow = update;
    state.instance = instance;
    return true;
}

bool CWndShadow::IsInitialized() { return ProcessState().updateLayeredWindow != nullptr; }

void CWndShadow::Create(HWND parent)
{
    if (!IsInitialized() || parent_ || !::IsWindow(parent)) return;
    ShadowRegistry::Entry entry{};
    bool listed = ShadowRegistry::Find(parent, entry);
    // One shadow per parent; a pass-through left by an earlier shadow can be taken over.
    if (listed && entry.shadow) return;

    HWND shadow = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kWindowClass, nullptr, WS_POPUPWINDOW,
                                    CW_USEDEFAULT, 0, 0, 0, parent, nullptr, ProcessState().instance, nullptr);
    if (!shadow) return;
    if (listed) {
        ShadowRegistry::SetShadow(parent, this);
    } else {
        auto former = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndShadow::ParentProc)));
        if (!former) {
            ::DestroyWindow(shadow);
            return;
        }
        ShadowRegistry::Add(parent, this, former);
    }
    shadow_ = shadow;
    parent_ = parent;

    LONG style = ::GetWindowLongW(parent, GWL_STYLE);
    if (!(style & WS_VISIBLE)) {
        status_ = ShadowEnabled;
    } else if (style & (WS_MAXIMIZE | WS_MINIMIZE)) {
        status_ = ShadowEnabled | ShadowParentVisible;
    } else {
        status_ = ShadowEnabled | ShadowVisible | ShadowParentVisible;
        ::ShowWindow(shadow_, SW_SHOWNA);
        Update(parent);
    }
}

bool CWndShadow::SetSize(int size)
{
    if (!InRange(size, kMinOffset, kMaxOffset)) return false;
    settings_.size = size;
    UpdateIfVisible();
    return true;
}

bool CWndShadow::SetSharpness(unsigned sharpness)
{
    if (sharpness > kMaxSharpness) return false;
    settings_.sharpness = sharpness;
    UpdateIfVisible();
    return true;
}

bool CWndShadow::SetDarkness(unsigned darkness)
{
    if (darkness > kMaxDarkness) return false;
    settings_.darkness = darkness;
    UpdateIfVisible();
    return true;
}

bool CWndShadow::SetPosition(int x, int y)
{
    if (!InRange(x, kMinOffset, kMaxOffset) || !InRange(y, kMinOffset, kMaxOffset)) return false;
    settings_.xOffset = x;
    settings_.yOffset = y;
    UpdateIfVisible();
    return true;
}

bool CWndShadow::SetColor(uint32_t color)
{
    settings_.color = color;
    UpdateIfVisible();
    return true;
}

bool CWndShadow::SetImage(const std::wstring& image, const RECT& corner, const RECT& holeOffset)
{
    ImagePtr loaded = LoadImageByName(image, L"", false, 0);
    if (!loaded) return false;
    image_ = std::move(loaded);
    corner_ = corner;
    holeOffset_ = holeOffset;
    UpdateIfVisible();
    return true;
}

void CWndShadow::UpdateIfVisible()
{
    if ((status_ & ShadowVisible) && shadow_) Update(::GetWindow(shadow_, GW_OWNER));
}

POINT CWndShadow::PlaceFor(const RECT& parentBox) const
{
    if (image_) return POINT{parentBox.left - corner_.left, parentBox.top - corner_.top};
    POINT offset = ShadowOffset(settings_);
    return POINT{parentBox.left + offset.x, parentBox.top + offset.y};
}

ShadowPicture CWndShadow::Compose(HWND parent) const
{
    ShadowPicture picture;
    RECT box{};
    if (!::GetWindowRect(parent, &box)) return picture;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    picture.position = PlaceFor(box);
    if (image_) {
        picture.size = SIZE{width + corner_.left + corner_.right, height + corner_.top + corner_.bottom};
        picture.image = CreateImageData(picture.size.cx, picture.size.cy);
        if (!picture.image) return picture;
        ImageDescription grid;
        grid.corner = AddRects(corner_, holeOffset_);
        grid.hole = true;
        grid.fade = 255;
        UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
        ScopedSelect select(memory.Get(), picture.image->bitmap.Get());
        RenderEngine::DrawImage(memory.Get(), *image_, RECT{0, 0, picture.size.cx, picture.size.cy}, grid);
        ::GdiFlush();
        return picture;
    }
    ShadowBitmap bitmap =
        ComputeShadowBitmap(WindowRegionSpans(parent, width, height), SIZE{width, height}, settings_);
    picture.size = SIZE{bitmap.width, bitmap.height};
    if (bitmap.IsEmpty()) return picture;
    picture.image = CreateImageData(bitmap.width, bitmap.height);
    if (picture.image) std::memcpy(picture.image->bits, bitmap.pixels.data(), bitmap.pixels.size() * sizeof(uint32_t));
    return picture;
}

void CWndShadow::Update(HWND parent)
{
    if (!shadow_ || !::IsWindow(shadow_)) return;
    ShadowPicture picture = Compose(parent);
    const UINT place = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
    if (!picture.image) {
        // Nothing to show: the window shrinks to nothing until a later update has pixels again.
        ::SetWindowPos(shadow_, nullptr, picture.position.x, picture.position.y, 0, 0, place);
        return;
    }
    ::SetWindowPos(shadow_, nullptr, picture.position.x, picture.position.y, picture.size.cx, picture.size.cy, place);
    UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
    ScopedSelect select(memory.Get(), picture.image->bitmap.Get());
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ProcessState().updateLayeredWindow(shadow_, nullptr, &picture.position, &picture.size, memory.Get(), &source, 0,
                                       &blend, ULW_ALPHA);
}

void CWndShadow::Show()
{
    ::ShowWindow(shadow_, SW_SHOWNA);
    status_ |= ShadowVisible;
}

void CWndShadow::Hide()
{
    ::ShowWindow(shadow_, SW_HIDE);
    status_ &= static_cast<BYTE>(~ShadowVisible);
}

void CWndShadow::OnParentSize(HWND parent, WPARAM wParam, LPARAM lParam)
{
    if (!(status_ & ShadowEnabled)) return;
    if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
        Hide();
    } else if (status_ & ShadowParentVisible) {
        // The parent's new region comes after this message: a larger one is
        // taken at the next paint, a smaller one fits the old region now.
        if (LOWORD(lParam) > LOWORD(lastSize_) || HIWORD(lParam) > HIWORD(lastSize_)) {
            updatePending_ = true;
        } else {
            Update(parent);
        }
        if (!(status_ & ShadowVisible)) Show();
    }
    lastSize_ = lParam;
}

void CWndShadow::OnParentShow(WPARAM wParam)
{
    if (!(status_ & ShadowEnabled)) return;
    if (wParam == 0) {
        Hide();
        status_ &= static_cast<BYTE>(~ShadowParentVisible);
    } else if (!(status_ & ShadowParentVisible)) {
        updatePending_ = true;
        Show();
        status_ |= ShadowParentVisible;
    }
}

void CWndShadow::OnParentMessage(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY:
        // Owned windows go before their owner; this only forgets the handle then.
        if (shadow_ && ::IsWindow(shadow_)) ::DestroyWindow(shadow_);
        shadow_ = nullptr;
        break;
    case WM_MOVE:
        if (status_ & ShadowVisible) {
            RECT box{};
            ::GetWindowRect(parent, &box);
            POINT at = PlaceFor(box);
            ::SetWindowPos(shadow_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case WM_SIZE:
        OnParentSize(parent, wParam, lParam);
        break;
    case WM_PAINT:
        if (updatePending_) {
            Update(parent);
            updatePending_ = false;
        }
        break;
    case WM_ACTIVATE:
    case WM_EXITSIZEMOVE:
        if (status_ & ShadowVisible) Update(parent);
        break;
    case WM_SHOWWINDOW:
        OnParentShow(wParam);
        break;
    case WM_NCDESTROY:
        parent_ = nullptr;
        status_ = 0;
        break;
    default:
        break;
    }
}

LRESULT CALLBACK CWndShadow::ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ShadowRegistry::Entry entry{};
    if (!ShadowRegistry::Find(hwnd, entry)) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (entry.shadow) {
        try {
            entry.shadow->OnParentMessage(hwnd, msg, wParam, lParam);
        } catch (const std::exception& e) {
            LogLine(L"shadow failed on message 0x%04X: %hs", msg, e.what());
        } catch (...) {
            LogLine(L"shadow failed on message 0x%04X", msg);
        }
    }
    if (msg == WM_NCDESTROY) {
        ShadowRegistry::Remove(hwnd);
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == &CWndShadow::ParentProc) {
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.formerProc));
        }
    }
    return ::CallWindowProcW(entry.formerProc, hwnd, msg, wParam, lParam);
}

void CWndShadow::Detach()
{
    if (parent_) {
        ShadowRegistry::Entry entry{};
        if (ShadowRegistry::Find(parent_, entry) && entry.shadow == this) {
            bool ours = ::IsWindow(parent_) && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(
                                                   parent_, GWLP_WNDPROC)) == &CWndShadow::ParentProc;
            if (ours) {
                ::SetWindowLongPtrW(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.formerProc));
                ShadowRegistry::Remove(parent_);
            } else if (::IsWindow(parent_)) {
                // Someone replaced the procedure after us and calls ours as
                // their former one: stay in the chain, passing messages on,
                // until the parent goes.
                ShadowRegistry::SetShadow(parent_, nullptr);
            } else {
                ShadowRegistry::Remove(parent_);
            }
        }
        parent_ = nullptr;
    }
    if (shadow_ && ::IsWindow(shadow_)) {
        if (::GetWindowThreadProcessId(shadow_, nullptr) == ::GetCurrentThreadId()) {
            ::DestroyWindow(shadow_);
        } else {
            ::PostMessageW(shadow_, WM_CLOSE, 0, 0);
        }
    }
    shadow_ = nullptr;
    status_ = 0;
}

}  // namespace DuiLib
