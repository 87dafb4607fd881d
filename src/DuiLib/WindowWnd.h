#pragma once
// A native window owned by a C++ object: class registration, creation,
// closing, centring, the modal loop and the message entry point.

#include <windows.h>

#include <string>

namespace DuiLib {

class CWindowWnd {
public:
    CWindowWnd();

    virtual std::wstring WindowClassName() const = 0;
    // A system class to superclass instead of registering a new one; "" for none.
    virtual std::wstring SuperclassName() const;
    virtual UINT WindowClassStyle() const;
    // Called through the window procedure, which lets no exception out: one
    // is logged and the message answered by the default procedure.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // After the last message (WM_NCDESTROY) the window sends.
    virtual void OnWindowDestroyed(HWND window);
    // Destroys a window that still exists (DestroyNativeWindow).
    virtual ~CWindowWnd();

    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return window_; }
    operator HWND() const { return window_; }

    HWND Create(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
    // Posts WM_CLOSE with the code when the window exists.
    void Close(UINT code = 0);
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Over the owner, or over the work area without a visible owner; kept
    // inside the work area.
    void CenterWindow();
    // Runs until the window is gone; returns the code of its WM_CLOSE.
    UINT ShowModal();
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Large and small window icon from an icon resource of the module.
    void SetIcon(UINT resourceId);

protected:
    // Destroys the native window now if it exists. The window's procedure
    // calls into this object, so the window must go before the members it
    // reaches: a derived class whose members its messages use calls this
    // first in its destructor (the window base does so in its own).
    void DestroyNativeWindow();
    bool RegisterWindowClass();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SuperclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WNDPROC superProc_ = nullptr;
};

// The horizontal or vertical start of a box of length size centred over
// [centerStart, centerEnd) and kept inside [areaStart, areaEnd).
int CenteredStart(int centerStart, int centerEnd, int size, int areaStart, int areaEnd);

}  // namespace DuiLib
