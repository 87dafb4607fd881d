#include "EditUI.h"

#include "AttributeValues.h"
#include "PaintManager.h"
#include "RenderEngine.h"
#include "WindowProcedureGuard.h"

namespace DuiLib {

namespace {
const wchar_t* const kEditOwnerProperty = L"DuiLibEditOwner";
}

CEditUI::CEditUI() { textStyle_ = DT_VCENTER | DT_SINGLELINE | DT_LEFT; }

CEditUI::~CEditUI()
{
    if (nativeEdit_ && ::IsWindow(nativeEdit_)) {
        ::RemovePropW(nativeEdit_, kEditOwnerProperty);
        ::DestroyWindow(nativeEdit_);
    }
}

std::wstring CEditUI::GetClass() const { return L"Edit"; }

CControlUI* CEditUI::GetInterface(const std::wstring& name)
{
    return name == L"Edit" ? this : CLabelUI::GetInterface(name);
}

std::wstring CEditUI::GetText() const
{
    if (!nativeEdit_) return text_;
    int length = ::GetWindowTextLengthW(nativeEdit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = ::GetWindowTextW(nativeEdit_, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void CEditUI::SetText(const std::wstring& text)
{
    std::wstring limited = maxChar_ > 0 && static_cast<int>(text.size()) > maxChar_ ? text.substr(0, maxChar_) : text;
    if (nativeEdit_) ::SetWindowTextW(nativeEdit_, limited.c_str());
    CLabelUI::SetText(limited);
}

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"readonly") {
        readOnly_ = ParseBool(value);
    } else if (key == L"password") {
        password_ = ParseBool(value);
    } else if (key == L"maxchar") {
        maxChar_ = ParseInt(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CEditUI::DoEvent(UIEvent& event)
{
    if (event.type == UIEventType::SetFocus) {
        CLabelUI::DoEvent(event);
        if (enabled_) BeginEdit();
        return;
    }
    if (event.type == UIEventType::KillFocus) {
        EndEdit();
        CLabelUI::DoEvent(event);
        return;
    }
    CLabelUI::DoEvent(event);
}

RECT CEditUI::NativeEditBox() const
{
    RECT rc{rcItem_.left + textPadding_.left, rcItem_.top + textPadding_.top, rcItem_.right - textPadding_.right,
            rcItem_.bottom - textPadding_.bottom};
    // A single-line edit draws at its top; give it one line's height in the middle.
    int line = (manager_ ? manager_->GetFontHeight(font_) : 12) + 6;
    int height = rc.bottom - rc.top;
    if (height > line) {
        rc.top += (height - line) / 2;
        rc.bottom = rc.top + line;
    }
    return rc;
}

void CEditUI::BeginEdit()
{
    if (nativeEdit_ || !manager_ || !manager_->GetPaintWindow() || !IsVisible()) return;
    RECT rc = NativeEditBox();
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0) |
                  (password_ ? ES_PASSWORD : 0);
    nativeEdit_ = ::CreateWindowExW(0, L"EDIT", text_.c_str(), style, rc.left, rc.top, rc.right - rc.left,
                                    rc.bottom - rc.top, manager_->GetPaintWindow(), nullptr,
                                    PaintManager::GetInstance(), nullptr);
    if (!nativeEdit_) return;
    ::SendMessageW(nativeEdit_, WM_SETFONT, reinterpret_cast<WPARAM>(manager_->GetFont(font_)), TRUE);
    if (maxChar_ > 0) ::SendMessageW(nativeEdit_, EM_LIMITTEXT, maxChar_, 0);
    ::SetPropW(nativeEdit_, kEditOwnerProperty, this);
    nativeEditProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(nativeEdit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEditUI::NativeEditProc)));
    ::SendMessageW(nativeEdit_, EM_SETSEL, 0, -1);
    ::SetFocus(nativeEdit_);
}

void CEditUI::EndEdit()
{
    if (!nativeEdit_) return;
    std::wstring text = GetText();
    HWND edit = nativeEdit_;
    nativeEdit_ = nullptr;
    ::RemovePropW(edit, kEditOwnerProperty);
    ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(nativeEditProc_));
    if (::GetFocus() == edit) ::SetFocus(::GetParent(edit));
    // Destroyed later: this may run inside the edit's own focus message.
    ::ShowWindow(edit, SW_HIDE);
    ::PostMessageW(edit, WM_CLOSE, 0, 0);
    if (text != text_) {
        text_ = text;
        Invalidate();
        if (manager_) manager_->SendNotify(this, L"textchanged");
    }
}

LRESULT CALLBACK CEditUI::NativeEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* owner = static_cast<CEditUI*>(::GetPropW(hwnd, kEditOwnerProperty));
    if (!owner) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    WNDPROC previous = owner->nativeEditProc_;
    return AnswerWithoutExceptions(
        msg, [&] { return owner->HandleNativeEditMessage(previous, hwnd, msg, wParam, lParam); },
        [&] { return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam); });
}

LRESULT CEditUI::HandleNativeEditMessage(WNDPROC previous, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB)) {
        if (manager_) manager_->SetFocus(nullptr);
        return 0;
    }
    if (msg == WM_CHAR && (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_TAB)) return 0;
    if (msg == WM_KILLFOCUS) {
        LRESULT result = ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
        if (manager_ && manager_->GetFocus() == this) {
            manager_->SetFocus(nullptr);
        } else {
            EndEdit();
        }
        return result;
    }
    return ::CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

void CEditUI::SetPos(const RECT& rc)
{
    CLabelUI::SetPos(rc);
    if (nativeEdit_) {
        RECT box = NativeEditBox();
        ::MoveWindow(nativeEdit_, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
    }
}

void CEditUI::SetInternVisible(bool visible)
{
    CLabelUI::SetInternVisible(visible);
    if (!IsVisible()) EndEdit();
}

void CEditUI::PaintText(HDC dc)
{
    if (nativeEdit_) return;
    if (!password_) {
        CLabelUI::PaintText(dc);
        return;
    }
    std::wstring masked(text_.size(), L'*');
    RECT rc{rcItem_.left + textPadding_.left, rcItem_.top + textPadding_.top, rcItem_.right - textPadding_.right,
            rcItem_.bottom - textPadding_.bottom};
    RenderEngine::DrawTextInRect(dc, manager_->GetFont(font_), rc, masked, CurrentTextColor(), textStyle_);
}

}  // namespace DuiLib
