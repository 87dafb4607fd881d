#include "DuiFrame.h"

#include "AttributeValues.h"

#include <utility>

namespace DuiLib {

CDuiFrame::CDuiFrame(FrameSkinSpec spec) : spec_(std::move(spec)) {}

CDuiFrame::~CDuiFrame()
{
    // The window's procedure reaches into the shadow member (and through the
    // toolkit into the rest of the frame): it goes while they all still exist.
    DestroyNativeWindow();
}

std::wstring CDuiFrame::WindowClassName() const { return spec_.windowClassName; }

std::wstring CDuiFrame::SkinFolder() const { return spec_.skinFolder; }

std::wstring CDuiFrame::SkinFile() const { return spec_.skinFile; }

int CDuiFrame::ResourceKind() const { return spec_.resourceKind; }

LPCWSTR CDuiFrame::ResourceId() const { return MAKEINTRESOURCEW(spec_.resourceId); }

void CDuiFrame::OnSkinLoaded()
{
    HWND window = GetHWND();
    LONG style = ::GetWindowLongW(window, GWL_STYLE);
    ::SetWindowLongW(window, GWL_STYLE, style & ~(WS_CAPTION | WS_MAXIMIZEBOX));
    if (!EqualsNoCase(paintManager_.GetWindowCustomAttribute(L"showshadow"), L"true")) return;
    shadow_.Create(window);
    ApplyShadowAttributes();
}

void CDuiFrame::ApplyShadowAttributes()
{
    const PaintManager& skin = paintManager_;
    auto has = [&skin](const wchar_t* name) { return skin.HasWindowCustomAttribute(name); };
    auto text = [&skin](const wchar_t* name) { return skin.GetWindowCustomAttribute(name); };
    // An image says nothing about where it goes without its corner; the
    // computed shadow then stays. A missing hole offset adds nothing.
    if (has(L"shadowimage") && has(L"shadowcorner")) {
        RECT holeOffset = has(L"shadowholeoffset") ? ParseRect(text(L"shadowholeoffset")) : RECT{0, 0, 0, 0};
        shadow_.SetImage(text(L"shadowimage"), ParseRect(text(L"shadowcorner")), holeOffset);
    }
    // Rejected values keep the defaults; a skin is not told.
    if (has(L"shadowsize")) shadow_.SetSize(ParseInt(text(L"shadowsize")));
    if (has(L"shadowsharpness")) shadow_.SetSharpness(static_cast<unsigned>(ParseInt(text(L"shadowsharpness"))));
    if (has(L"shadowdarkness")) shadow_.SetDarkness(static_cast<unsigned>(ParseInt(text(L"shadowdarkness"))));
    if (has(L"shadowposition")) {
        SIZE position = ParseSize(text(L"shadowposition"));
        shadow_.SetPosition(position.cx, position.cy);
    }
    if (has(L"shadowcolor")) shadow_.SetColor(ParseColor(text(L"shadowcolor")));
}

LRESULT CDuiFrame::FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        handled = true;
        return 0;
    }
    return WindowImplBase::FilterMessage(msg, wParam, lParam, handled);
}

}  // namespace DuiLib
