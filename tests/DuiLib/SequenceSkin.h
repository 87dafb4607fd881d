#pragma once
// Skins built with the animation controls, created by name as the installer's
// windows create them.

#include "DuiLib/IDialogBuilderCallback.h"
#include "DuiLib/SequenceControls.h"

#include <string>

namespace TestSupport {

class SequenceControlFactory : public DuiLib::IDialogBuilderCallback {
public:
    std::unique_ptr<DuiLib::CControlUI> CreateControl(const std::wstring& elementName) override
    {
        return DuiLib::CreateSequenceControl(elementName);
    }
};

// The image description the main skin's progress animation shows for a frame.
inline std::wstring ProgressFrameImage(int frame)
{
    wchar_t number[8];
    swprintf(number, 8, L"%03d", frame);
    return std::wstring(L"res\\mainWnd\\installBtnAnimate\\") + number + L".png";
}

}  // namespace TestSupport
