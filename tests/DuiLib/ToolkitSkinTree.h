#pragma once
// A skin's control tree built from the archive embedded in the test program,
// laid out without any window.

#include "DuiLib/ControlUI.h"
#include "DuiLib/IDialogBuilderCallback.h"
#include "DuiLib/PaintManager.h"

#include <windows.h>

#include <memory>
#include <string>

namespace TestSupport {

// Opens the embedded "ZIPRES" 147 archive as the process's skin archive (once).
bool UseEmbeddedSkinArchive();

class ToolkitSkinTree {
public:
    // Builds the named skin; laid out at the skin's own window size, or at
    // width x height when given. Elements the builder does not know go to
    // callback when there is one.
    bool Build(const std::wstring& skinFile, int width = 0, int height = 0,
               DuiLib::IDialogBuilderCallback* callback = nullptr);
    void Layout(int width, int height) { manager_.LayoutRoot(width, height); }
    DuiLib::PaintManager& Manager() { return manager_; }
    DuiLib::CControlUI* Find(const std::wstring& name) const { return manager_.FindControl(name); }
    // The box of the named control; all -1 when it does not exist.
    RECT Rect(const std::wstring& name) const;
    template <typename T>
    T* As(const std::wstring& name, const wchar_t* kind) const
    {
        DuiLib::CControlUI* control = Find(name);
        return control ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
    }

private:
    DuiLib::PaintManager manager_;
};

}  // namespace TestSupport
