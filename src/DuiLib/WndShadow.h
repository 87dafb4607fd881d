#pragma once
// A soft drop shadow around a window: a layered, click-through popup owned by
// the parent, showing a blurred silhouette of the parent's region (or a
// nine-grid image) with the parent's own pixels cut out. It follows the
// parent's moves, resizes, visibility and activation by taking over the
// parent's window procedure, and gives it back when either side goes first.
//
// UI thread only: the registry of parents and the process-wide state are
// not locked.

#include "ImageData.h"
#include "ShadowBitmap.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace DuiLib {

enum ShadowStatus : BYTE {
    ShadowEnabled = 1,
    ShadowVisible = 2,        // the shadow window is shown
    ShadowParentVisible = 4,
};

// What Update hands to the system: the premultiplied bitmap and its screen
// position. No image when the settings leave no pixels.
struct ShadowPicture {
    ImagePtr image;
    POINT position{0, 0};
    SIZE size{0, 0};
};

class CWndShadow {
public:
    // The window class of every shadow window.
    static const wchar_t kWindowClass[];  // "DuiShadowWnd"
    static constexpr int kMinOffset = -20;
    static constexpr int kMaxOffset = 20;
    static constexpr unsigned kMaxSharpness = 20;
    static constexpr unsigned kMaxDarkness = 255;

    CWndShadow();
    virtual ~CWndShadow();
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;

    // Once per process, before the first shadow: finds UpdateLayeredWindow
    // and registers the shadow window class. False when already done or when
    // the system has no layered windows; shadows then stay off.
    static bool Initialize(HINSTANCE instance);
    static bool IsInitialized();

    // Attaches to the parent; nothing without Initialize, for a parent that
    // is not a window, or when already attached.
    void Create(HWND parent);

    // Each rejects a value outside its range with false and no change;
    // otherwise stores it and, while the shadow shows, redraws it.
    bool SetSize(int size);                 // -20..20
    bool SetSharpness(unsigned sharpness);  // 0..20
    bool SetDarkness(unsigned darkness);    // 0..255
    bool SetPosition(int x, int y);         // each -20..20
    bool SetColor(uint32_t color);          // red in the lowest byte
    // Switches to a nine-grid image (looked up like skin images): the shadow
    // window reaches corner beyond the parent on each side, and the grid's
    // borders are corner + holeOffset wide. False when the image cannot be
    // loaded; the shadow stays as it was.
    bool SetImage(const std::wstring& image, const RECT& corner, const RECT& holeOffset);

    // Recomputes and presents the bitmap; nothing once the shadow window is gone.
    void Update(HWND parent);
    // The picture Update presents for the parent as it stands now.
    ShadowPicture Compose(HWND parent) const;

    HWND GetShadowWindow() const { return shadow_; }
    HWND GetParentWindow() const { return parent_; }
    BYTE GetStatus() const { return status_; }
    const ShadowSettings& GetSettings() const { return settings_; }
    bool IsImageMode() const { return image_ != nullptr; }

private:
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnParentMessage(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnParentSize(HWND parent, WPARAM wParam, LPARAM lParam);
    void OnParentShow(WPARAM wParam);
    // Top-left of the shadow window for a parent window box.
    POINT PlaceFor(const RECT& parentBox) const;
    void Show();
    void Hide();
    void UpdateIfVisible();
    // Gives the parent's procedure back (or stays in a later subclasser's
    // chain as a pass-through) and closes the shadow window.
    void Detach();

    HWND shadow_ = nullptr;
    HWND parent_ = nullptr;  // not owned
    BYTE status_ = 0;
    ShadowSettings settings_;
    LPARAM lastSize_ = 0;
    bool updatePending_ = false;
    ImagePtr image_;
    RECT corner_{0, 0, 0, 0};
    RECT holeOffset_{0, 0, 0, 0};
};

}  // namespace DuiLib
