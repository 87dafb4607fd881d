#include "PaintManager.h"

#include "AttributeValues.h"
#include "ControlUI.h"
#include "DuiLib/ResourceState.h"
#include "IMessageFilterUI.h"
#include "INotifyUI.h"
#include "StringTable.h"

#include <windowsx.h>

#include <algorithm>

namespace DuiLib {

namespace {

std::map<std::wstring, ImagePtr>& SharedImages()
{
    static std::map<std::wstring, ImagePtr> images;
    return images;
}

std::wstring ImageKey(const std::wstring& name, const std::wstring& resourceType, bool hasMask, uint32_t mask)
{
    std::wstring key = name;
    for (auto& c : key) {
        if (c == L'\\') c = L'/';
    }
    if (!resourceType.empty()) key += L"|" + resourceType;
    if (hasMask) key += L"|mask" + std::to_wstring(mask);
    return key;
}

bool IsKeyboardMessage(UINT msg)
{
    return msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP ||
           msg == WM_SYSCHAR;
}

}  // namespace

PaintManager::UseScope::UseScope(PaintManager& manager) : manager_(manager) { ++manager_.useDepth_; }

PaintManager::UseScope::~UseScope()
{
    if (--manager_.useDepth_ == 0) manager_.DeleteReleased();
}

PaintManager::PaintManager() = default;

PaintManager::~PaintManager()
{
    useDepth_ = 0;
    ReleaseRoot();
    DeleteReleased();
}

void PaintManager::SetInstance(HINSTANCE instance) { SetResourceModule(instance); }

HINSTANCE PaintManager::GetInstance() { return GetResourceModule(); }

void PaintManager::AddMultiLanguageString(int id, const std::wstring& text) { StringTable::Add(id, text); }

const std::wstring* PaintManager::GetMultiLanguageString(int id) { return StringTable::Find(id); }

void PaintManager::Init(HWND window)
{
    if (window != window_) {
        for (TimerEntry& timer : timers_) DisarmTimer(timer);
        window_ = window;
        for (TimerEntry& timer : timers_) {
            if (timer.running && !ArmTimer(timer)) timer.running = false;
        }
    }
    NeedUpdate();
}

bool PaintManager::AttachDialog(std::unique_ptr<CControlUI> root)
{
    if (!root) return false;
    ReleaseRoot();
    root_ = std::move(root);
    initialised_ = true;
    root_->SetManager(this, nullptr, true);
    NeedUpdate();
    // Hit tests may come before the first paint.
    if (window_) EnsureLayout();
    return true;
}

void PaintManager::ReleaseRoot()
{
    Dispose(std::move(root_));
    hover_ = pressed_ = focus_ = nullptr;
    initialised_ = false;
    for (TimerEntry& timer : timers_) DisarmTimer(timer);
    timers_.clear();
    std::lock_guard<std::mutex> lock(queueLock_);
    asyncQueue_.clear();
}

void PaintManager::Dispose(std::unique_ptr<CControlUI> control)
{
    if (!control) return;
    control->FindControl([this](CControlUI* leaving) {
        ReapObjects(leaving);
        return false;
    });
    control->SetManager(nullptr, nullptr, false);
    if (useDepth_ > 0) {
        released_.push_back(std::move(control));
    } else {
        control.reset();
    }
}

void PaintManager::DeleteReleased()
{
    // Detached controls never call back here, so one swap takes them all.
    std::vector<std::unique_ptr<CControlUI>> doomed;
    doomed.swap(released_);
}

CControlUI* PaintManager::FindControl(const std::wstring& name) const
{
    if (!root_ || name.empty()) return nullptr;
    return root_->FindControl([&name](CControlUI* control) { return control->GetName() == name; });
}

CControlUI* PaintManager::FindControlAt(POINT pt) const { return root_ ? root_->FindControlAt(pt) : nullptr; }

void PaintManager::ForEachControl(const std::function<void(CControlUI*)>& visit) const
{
    if (!root_) return;
    root_->FindControl([&visit](CControlUI* control) {
        visit(control);
        return false;
    });
}

void PaintManager::SetWindowAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"size") {
        SIZE size = ParseSize(value);
        SetInitSize(size.cx, size.cy);
    } else if (key == L"caption") {
        caption_ = ParseRect(value);
    } else if (key == L"roundcorner") {
        roundCorner_ = ParseSize(value);
    } else if (key == L"sizebox") {
        sizeBox_ = ParseRect(value);
    } else if (key == L"mininfo") {
        minInfo_ = ParseSize(value);
    } else if (key == L"maxinfo") {
        maxInfo_ = ParseSize(value);
    } else {
        size_t found = FindCustomAttribute(name);
        if (found < customAttributes_.size()) {
            customAttributes_[found].second = value;
        } else {
            customAttributes_.emplace_back(name, value);
        }
    }
}

size_t PaintManager::FindCustomAttribute(const std::wstring& name) const
{
    size_t i = 0;
    while (i < customAttributes_.size() && !EqualsNoCase(customAttributes_[i].first, name)) ++i;
    return i;
}

bool PaintManager::HasWindowCustomAttribute(const std::wstring& name) const
{
    return FindCustomAttribute(name) < customAttributes_.size();
}

std::wstring PaintManager::GetWindowCustomAttribute(const std::wstring& name) const
{
    size_t found = FindCustomAttribute(name);
    return found < customAttributes_.size() ? customAttributes_[found].second : std::wstring();
}

void PaintManager::SetInitSize(int cx, int cy)
{
    initSize_ = SIZE{cx, cy};
    if (window_ && cx > 0 && cy > 0) {
        ::SetWindowPos(window_, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void PaintManager::AddFont(int id, const std::wstring& face, int size, bool bold, bool underline, bool italic,
                           bool makeDefault)
{
    LOGFONTW logFont{};
    // LOGFONT keeps 31 characters and the terminator.
    face.copy(logFont.lfFaceName, LF_FACESIZE - 1);
    logFont.lfHeight = -size;
    logFont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = italic ? TRUE : FALSE;
    logFont.lfUnderline = underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = CLEARTYPE_QUALITY;
    FontEntry entry;
    entry.font.Reset(::CreateFontIndirectW(&logFont));
    entry.size = size;
    fonts_[id] = std::move(entry);
    if (makeDefault || defaultFont_ < 0) defaultFont_ = id;
}

HFONT PaintManager::GetFont(int index) const
{
    auto it = fonts_.find(index);
    if (it == fonts_.end()) it = fonts_.find(defaultFont_);
    if (it != fonts_.end() && it->second.font) return it->second.font.Get();
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int PaintManager::GetFontHeight(int index) const
{
    auto it = fonts_.find(index);
    if (it == fonts_.end()) it = fonts_.find(defaultFont_);
    return it != fonts_.end() ? it->second.size : 12;
}

const ImageData* PaintManager::GetImage(const std::wstring& name, const std::wstring& resourceType, bool hasMask,
                                        uint32_t mask)
{
    if (name.empty()) return nullptr;
    std::wstring key = ImageKey(name, resourceType, hasMask, mask);
    auto it = images_.find(key);
    if (it != images_.end()) return it->second.get();
    auto shared = SharedImages().find(key);
    if (shared != SharedImages().end()) return shared->second.get();
    // A miss is remembered too, so a missing image is looked for once per window.
    ImagePtr image = LoadImageByName(name, resourceType, hasMask, mask);
    images_[key] = image;
    return image.get();
}

void PaintManager::AddSharedImage(const std::wstring& name, ImagePtr image)
{
    SharedImages()[ImageKey(name, L"", false, 0)] = std::move(image);
}

void PaintManager::ClearSharedImages() { SharedImages().clear(); }

bool PaintManager::ArmTimer(TimerEntry& timer)
{
    timer.armed = window_ && ::SetTimer(window_, timer.nativeId, timer.elapse, nullptr) != 0;
    return timer.armed || !window_;
}

void PaintManager::DisarmTimer(TimerEntry& timer)
{
    if (timer.armed && window_) ::KillTimer(window_, timer.nativeId);
    timer.armed = false;
}

bool PaintManager::SetTimer(CControlUI* control, UINT id, UINT elapse)
{
    // Only a control of this window stops its timers when it goes.
    if (!control || control->GetManager() != this) return false;
    for (TimerEntry& timer : timers_) {
        if (timer.control != control || timer.id != id) continue;
        if (timer.running) return false;
        timer.elapse = elapse;
        timer.running = ArmTimer(timer);
        return timer.running;
    }
    TimerEntry timer{control, id, nextTimerId_++, elapse, false, false};
    if (!ArmTimer(timer)) return false;
    timer.running = true;
    timers_.push_back(timer);
    return true;
}

bool PaintManager::KillTimer(CControlUI* control, UINT id)
{
    for (TimerEntry& timer : timers_) {
        if (timer.control != control || timer.id != id) continue;
        if (!timer.running) return false;
        DisarmTimer(timer);
        timer.running = false;
        return true;
    }
    return false;
}

void PaintManager::KillTimers(CControlUI* control)
{
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->control != control) {
            ++it;
            continue;
        }
        DisarmTimer(*it);
        it = timers_.erase(it);
    }
}

bool PaintManager::IsTimerRunning(CControlUI* control, UINT id) const
{
    for (const TimerEntry& timer : timers_) {
        if (timer.control == control && timer.id == id) return timer.running;
    }
    return false;
}

bool PaintManager::AddNotifier(INotifyUI* notifier)
{
    if (!notifier || std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) return false;
    notifiers_.push_back(notifier);
    return true;
}

bool PaintManager::RemoveNotifier(INotifyUI* notifier)
{
    auto it = std::find(notifiers_.begin(), notifiers_.end(), notifier);
    if (it == notifiers_.end()) return false;
    notifiers_.erase(it);
    return true;
}

bool PaintManager::AddMessageFilter(IMessageFilterUI* filter)
{
    if (!filter || std::find(filters_.begin(), filters_.end(), filter) != filters_.end()) return false;
    filters_.push_back(filter);
    return true;
}

bool PaintManager::RemoveMessageFilter(IMessageFilterUI* filter)
{
    auto it = std::find(filters_.begin(), filters_.end(), filter);
    if (it == filters_.end()) return false;
    filters_.erase(it);
    return true;
}

void PaintManager::SendNotify(NotifyMessage& msg, bool async)
{
    msg.timestamp = ::GetTickCount();
    if (!async) {
        DeliverNotify(msg);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(queueLock_);
        asyncQueue_.push_back(QueuedNotify{msg});
    }
    if (window_) ::PostMessageW(window_, AsyncNotifyMessage, 0, 0);
}

void PaintManager::SendNotify(CControlUI* sender, const std::wstring& type, WPARAM wParam, LPARAM lParam, bool async)
{
    NotifyMessage msg;
    msg.type = type;
    msg.sender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (!async) msg.mousePoint = lastMouse_;
    SendNotify(msg, async);
}

void PaintManager::DeliverNotify(NotifyMessage& msg)
{
    // What the window sends itself has no pointer position, however it was sent.
    if (root_ && msg.sender == root_.get()) msg.mousePoint = POINT{0, 0};
    UseScope use(*this);
    // A notifier may add or remove notifiers while it handles the message.
    std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) notifier->Notify(msg);
    }
}

void PaintManager::DeliverQueuedNotifications()
{
    for (;;) {
        NotifyMessage msg;
        {
            std::lock_guard<std::mutex> lock(queueLock_);
            if (asyncQueue_.empty()) return;
            msg = asyncQueue_.front().msg;
            asyncQueue_.pop_front();
        }
        DeliverNotify(msg);
    }
}

void PaintManager::SetFocus(CControlUI* control)
{
    if (control == focus_) return;
    // Taking the keyboard back from a native child first lets it hand its
    // text over (it clears the focus itself while doing so).
    if (control && window_ && ::GetFocus() != window_) ::SetFocus(window_);
    if (CControlUI* old = focus_) {
        focus_ = nullptr;
        FireEvent(old, UIEventType::KillFocus, lastMouse_);
    }
    if (control && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        focus_ = control;
        FireEvent(control, UIEventType::SetFocus, lastMouse_);
    }
}

void PaintManager::FireEvent(CControlUI* control, UIEventType type, POINT pt, WPARAM wParam, LPARAM lParam)
{
    if (!control) return;
    UIEvent event;
    event.type = type;
    event.point = pt;
    event.wParam = wParam;
    event.lParam = lParam;
    event.timestamp = ::GetTickCount();
    UseScope use(*this);
    control->DoEvent(event);
}

void PaintManager::OnMouseMove(POINT pt)
{
    lastMouse_ = pt;
    CControlUI* target = FindControlAt(pt);
    if (target != hover_) {
        CControlUI* old = hover_;
        hover_ = target;
        FireEvent(old, UIEventType::MouseLeave, pt);
        FireEvent(hover_, UIEventType::MouseEnter, pt);
    }
    if (pressed_) {
        FireEvent(pressed_, UIEventType::MouseMove, pt);
    } else {
        FireEvent(hover_, UIEventType::MouseMove, pt);
    }
}

void PaintManager::OnButtonDown(POINT pt, bool doubleClick)
{
    lastMouse_ = pt;
    CControlUI* target = FindControlAt(pt);
    if (!target) return;
    if (target->IsEnabled()) SetFocus(target);
    // Focus handling may rebuild or hide parts of the tree.
    target = FindControlAt(pt);
    if (!target) return;
    pressed_ = target;
    if (window_) ::SetCapture(window_);
    FireEvent(target, doubleClick ? UIEventType::DoubleClick : UIEventType::ButtonDown, pt);
}

void PaintManager::OnButtonUp(POINT pt)
{
    lastMouse_ = pt;
    // Taken before releasing the capture, so the capture-lost handling does not cancel this press.
    CControlUI* target = pressed_;
    pressed_ = nullptr;
    if (window_ && ::GetCapture() == window_) ::ReleaseCapture();
    FireEvent(target, UIEventType::ButtonUp, pt);
}

void PaintManager::OnTimer(UINT_PTR nativeId)
{
    for (const TimerEntry& timer : timers_) {
        if (timer.nativeId != nativeId || !timer.running) continue;
        CControlUI* control = timer.control;
        UINT id = timer.id;
        FireEvent(control, UIEventType::Timer, lastMouse_, id, 0);
        return;
    }
}

RECT PaintManager::ClientBox() const
{
    RECT rc{0, 0, 0, 0};
    if (window_) {
        ::GetClientRect(window_, &rc);
    } else if (lastLayout_.cx >= 0) {
        rc.right = lastLayout_.cx;
        rc.bottom = lastLayout_.cy;
    }
    return rc;
}

void PaintManager::LayoutRoot(int width, int height)
{
    lastLayout_ = SIZE{width, height};
    updateNeeded_ = false;
    if (root_) root_->SetPos(RECT{0, 0, width, height});
}

void PaintManager::EnsureLayout()
{
    if (!updateNeeded_ || !root_) return;
    RECT rc = ClientBox();
    LayoutRoot(rc.right - rc.left, rc.bottom - rc.top);
}

void PaintManager::NeedUpdate()
{
    updateNeeded_ = true;
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void PaintManager::Invalidate(const RECT& rc)
{
    if (window_) ::InvalidateRect(window_, &rc, FALSE);
}

void PaintManager::Paint(HDC dc, const RECT& rcPaint)
{
    EnsureLayout();
    if (root_) root_->DoPaint(dc, rcPaint);
}

void PaintManager::OnPaint()
{
    PAINTSTRUCT ps{};
    HDC dc = ::BeginPaint(window_, &ps);
    RECT client = ClientBox();
    ImagePtr buffer = CreateImageData(client.right - client.left, client.bottom - client.top);
    if (buffer) {
        UniqueMemoryDc memory(::CreateCompatibleDC(dc));
        ScopedSelect select(memory.Get(), buffer->bitmap.Get());
        ::FillRect(memory.Get(), &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        Paint(memory.Get(), ps.rcPaint);
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, memory.Get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    ::EndPaint(window_, &ps);
}

bool PaintManager::PreMessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!IsKeyboardMessage(msg)) return false;
    std::vector<IMessageFilterUI*> filters = filters_;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        LRESULT value = filter->FilterMessage(msg, wParam, lParam, handled);
        if (handled) {
            result = value;
            return true;
        }
    }
    return false;
}

bool PaintManager::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    result = 0;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) EnsureLayout();
    switch (msg) {
    case AsyncNotifyMessage:
        DeliverQueuedNotifications();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        if (firstPaint_) {
            firstPaint_ = false;
            if (root_) SendNotify(root_.get(), L"windowinit", 0, 0, false);
        }
        if (!window_) return false;
        OnPaint();
        return true;
    case WM_PRINTCLIENT: {
        RECT client = ClientBox();
        Paint(reinterpret_cast<HDC>(wParam), client);
        return true;
    }
    case WM_SIZE:
        NeedUpdate();
        EnsureLayout();
        return false;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_MOUSEMOVE:
        if (window_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
            ::TrackMouseEvent(&track);
        }
        OnMouseMove(pt);
        return true;
    case WM_MOUSELEAVE:
        if (hover_ && !pressed_) {
            CControlUI* old = hover_;
            hover_ = nullptr;
            FireEvent(old, UIEventType::MouseLeave, lastMouse_);
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(pt, msg == WM_LBUTTONDBLCLK);
        return true;
    case WM_LBUTTONUP:
        OnButtonUp(pt);
        return true;
    case WM_KEYDOWN:
        if (!focus_) return false;
        FireEvent(focus_, UIEventType::KeyDown, lastMouse_, wParam, lParam);
        return true;
    case WM_CHAR:
        if (!focus_) return false;
        FireEvent(focus_, UIEventType::Char, lastMouse_, wParam, lParam);
        return true;
    case WM_CAPTURECHANGED:
        if (pressed_ && reinterpret_cast<HWND>(lParam) != window_) {
            // Capture taken away (a modal prompt, a drag): no click from this press.
            CControlUI* target = pressed_;
            pressed_ = nullptr;
            FireEvent(target, UIEventType::ButtonUp, POINT{-1, -1});
        }
        return false;
    default:
        return false;
    }
}

void PaintManager::ReapObjects(CControlUI* control)
{
    if (hover_ == control) hover_ = nullptr;
    if (pressed_ == control) pressed_ = nullptr;
    if (focus_ == control) focus_ = nullptr;
    KillTimers(control);
    std::lock_guard<std::mutex> lock(queueLock_);
    for (auto it = asyncQueue_.begin(); it != asyncQueue_.end();) {
        it = it->msg.sender == control ? asyncQueue_.erase(it) : it + 1;
    }
}

void PaintManager::ReleaseInputFrom(CControlUI* control)
{
    if (hover_ == control) hover_ = nullptr;
    if (pressed_ == control) pressed_ = nullptr;
    if (focus_ == control) SetFocus(nullptr);
}

}  // namespace DuiLib
