#pragma once
// One per window: owns the control tree, the window's fonts and images, the
// custom attributes of the skin's Window element, control timers,
// notifiers and message filters; paints the tree and routes input to it.
// Works without a window too (layout, notifications, synthetic input), so
// the rules can be exercised directly.

#include "GdiHandles.h"
#include "ImageData.h"
#include "NotifyMessage.h"
#include "UIEvent.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace DuiLib {

class CControlUI;
class INotifyUI;
class IMessageFilterUI;

class PaintManager {
public:
    // Posted to the window to deliver queued asynchronous notifications.
    static constexpr UINT AsyncNotifyMessage = WM_APP + 0x3A1;

    PaintManager();
    ~PaintManager();
    PaintManager(const PaintManager&) = delete;
    PaintManager& operator=(const PaintManager&) = delete;

    // Marks the tree as in use (an event, a notification, a window message
    // being handled): controls released meanwhile are deleted only when the
    // outermost use ends, so the code still running on them finds them alive.
    class UseScope {
    public:
        explicit UseScope(PaintManager& manager);
        ~UseScope();
        UseScope(const UseScope&) = delete;
        UseScope& operator=(const UseScope&) = delete;

    private:
        PaintManager& manager_;
    };

    // The process's module instance, set once at start-up: window classes are
    // registered and skin resources looked up with it. One slot, shared with
    // the resource state's module (SetResourceModule).
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    // Process-wide string table (the %{N} references of control texts).
    static void AddMultiLanguageString(int id, const std::wstring& text);
    static const std::wstring* GetMultiLanguageString(int id);

    // Binds the window (null unbinds). Timers started before a window existed
    // are armed now; one the system refuses stops running.
    void Init(HWND window);
    HWND GetPaintWindow() const { return window_; }

    // Takes ownership of the tree, binds and initialises every control.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return root_.get(); }
    // Releases the tree (timers, hover, focus and queued notifications with
    // it) through Dispose.
    void ReleaseRoot();
    // Takes a control and its children out of the window: no hover, press,
    // focus, timers or queued notifications stay with them and they no longer
    // know this manager. Deleted at once or, while the tree is in use (see
    // UseScope), when that use ends.
    void Dispose(std::unique_ptr<CControlUI> control);
    bool IsInitialised() const { return initialised_; }
    CControlUI* FindControl(const std::wstring& name) const;
    CControlUI* FindControlAt(POINT pt) const;
    void ForEachControl(const std::function<void(CControlUI*)>& visit) const;

    // Window element attributes: size, caption, roundcorner, sizebox,
    // mininfo and maxinfo are interpreted; any other is kept by name, as the
    // skin spells it. Names match without regard to case.
    void SetWindowAttribute(const std::wstring& name, const std::wstring& value);
    bool HasWindowCustomAttribute(const std::wstring& name) const;
    std::wstring GetWindowCustomAttribute(const std::wstring& name) const;
    SIZE GetInitSize() const { return initSize_; }
    void SetInitSize(int cx, int cy);
    const RECT& GetCaptionRect() const { return caption_; }
    SIZE GetRoundCorner() const { return roundCorner_; }
    const RECT& GetSizeBox() const { return sizeBox_; }
    SIZE GetMinInfo() const { return minInfo_; }
    SIZE GetMaxInfo() const { return maxInfo_; }

    // Fonts by index; an unknown index gives the default font.
    void AddFont(int id, const std::wstring& face, int size, bool bold, bool underline, bool italic,
                 bool makeDefault);
    HFONT GetFont(int index) const;
    // The character height in pixels a font was declared with.
    int GetFontHeight(int index) const;

    // Decoded image: the window's table, then the shared table, then loaded.
    const ImageData* GetImage(const std::wstring& name, const std::wstring& resourceType = L"", bool hasMask = false,
                              uint32_t mask = 0);
    static void AddSharedImage(const std::wstring& name, ImagePtr image);
    static void ClearSharedImages();

    // Timers per (control, id) of this window's controls. False when that
    // timer is already running, or for a control of another manager or none.
    bool SetTimer(CControlUI* control, UINT id, UINT elapse);
    bool KillTimer(CControlUI* control, UINT id);
    void KillTimers(CControlUI* control);
    bool IsTimerRunning(CControlUI* control, UINT id) const;

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    // Synchronous: every notifier now. Asynchronous (any thread): queued and
    // delivered from the window's message loop. Controls' notifications carry
    // the last mouse point when sent synchronously; the window's own (sender
    // the root control) always carry a zero point.
    void SendNotify(NotifyMessage& msg, bool async = false);
    void SendNotify(CControlUI* sender, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    // Delivers what the asynchronous queue holds (the window does so itself).
    void DeliverQueuedNotifications();

    void SetFocus(CControlUI* control);
    CControlUI* GetFocus() const { return focus_; }
    CControlUI* GetHover() const { return hover_; }

    // Keyboard messages through the filters; true when one handled it.
    bool PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Painting, layout, input routing, timers; true when handled.
    bool MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Lays the root out over a client box of this size now.
    void LayoutRoot(int width, int height);
    // Lays the root out over the window's client area if a new layout is due.
    void EnsureLayout();
    void NeedUpdate();
    void Invalidate(const RECT& rc);
    // Paints the tree into dc for the given client box (layout first if due).
    void Paint(HDC dc, const RECT& rcPaint);

    // A control leaving the tree or hiding: forget it as hover, press,
    // focus; control leaving: also its timers and queued notifications.
    void ReapObjects(CControlUI* control);
    void ReleaseInputFrom(CControlUI* control);

private:
    struct FontEntry {
        UniqueFont font;
        int size = 0;
    };
    struct TimerEntry {
        CControlUI* control;
        UINT id;
        UINT_PTR nativeId;
        UINT elapse;
        bool running;  // started and not killed
        bool armed;    // a native timer of the bound window exists
    };
    struct QueuedNotify {
        NotifyMessage msg;
    };

    // Index of the custom attribute, or the count when there is none.
    size_t FindCustomAttribute(const std::wstring& name) const;
    void DeliverNotify(NotifyMessage& msg);
    // Arms the native timer when a window is bound; false when the system refuses.
    bool ArmTimer(TimerEntry& timer);
    void DisarmTimer(TimerEntry& timer);
    void DeleteReleased();
    void OnMouseMove(POINT pt);
    void OnButtonDown(POINT pt, bool doubleClick);
    void OnButtonUp(POINT pt);
    void OnTimer(UINT_PTR nativeId);
    void OnPaint();
    void FireEvent(CControlUI* control, UIEventType type, POINT pt, WPARAM wParam = 0, LPARAM lParam = 0);
    RECT ClientBox() const;

    HWND window_ = nullptr;
    std::unique_ptr<CControlUI> root_;
    std::vector<std::unique_ptr<CControlUI>> released_;  // waiting for the use in progress to end
    int useDepth_ = 0;
    bool initialised_ = false;
    bool updateNeeded_ = true;
    bool firstPaint_ = true;
    SIZE lastLayout_{-1, -1};

    SIZE initSize_{0, 0};
    RECT caption_{0, 0, 0, 0};
    SIZE roundCorner_{0, 0};
    RECT sizeBox_{0, 0, 0, 0};
    SIZE minInfo_{0, 0};
    SIZE maxInfo_{0, 0};
    std::vector<std::pair<std::wstring, std::wstring>> customAttributes_;

    std::map<int, FontEntry> fonts_;
    int defaultFont_ = -1;
    UniqueFont fallbackFont_;
    std::map<std::wstring, ImagePtr> images_;

    std::vector<TimerEntry> timers_;
    UINT_PTR nextTimerId_ = 0x1000;

    std::vector<INotifyUI*> notifiers_;        // not owned
    std::vector<IMessageFilterUI*> filters_;   // not owned
    std::mutex queueLock_;
    std::deque<QueuedNotify> asyncQueue_;

    CControlUI* hover_ = nullptr;    // not owned
    CControlUI* pressed_ = nullptr;  // not owned
    CControlUI* focus_ = nullptr;    // not owned
    POINT lastMouse_{0, 0};
};

}  // namespace DuiLib
