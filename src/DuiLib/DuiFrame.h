#pragma once
// The skinned, borderless frame every window of the program is built on: its
// skin comes from the place a FrameSkinSpec names, the native caption is
// stripped once the skin is loaded, Esc never closes it, and a drop shadow is
// attached when the skin's Window element asks for one ("showshadow" and the
// "shadow..." attributes).

#include "FrameSkinSpec.h"
#include "WindowImplBase.h"
#include "WndShadow.h"

namespace DuiLib {

class CDuiFrame : public WindowImplBase {
public:
    explicit CDuiFrame(FrameSkinSpec spec);
    // Destroys a still existing window first, so its last messages find the
    // frame (and its shadow) whole.
    ~CDuiFrame() override;

    std::wstring WindowClassName() const override;
    std::wstring SkinFolder() const override;
    std::wstring SkinFile() const override;
    int ResourceKind() const override;
    LPCWSTR ResourceId() const override;
    // Subclasses that override it call it first.
    void OnSkinLoaded() override;
    // Esc is swallowed; everything else goes to the window base's filter.
    LRESULT FilterMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

    const FrameSkinSpec& Spec() const { return spec_; }
    CWndShadow& Shadow() { return shadow_; }
    const CWndShadow& Shadow() const { return shadow_; }

private:
    void ApplyShadowAttributes();

    const FrameSkinSpec spec_;
    CWndShadow shadow_;
};

}  // namespace DuiLib
