#include "MessageBoxWnd.h"

#include "WindowStyle.h"
#include "DuiLib/ControlUI.h"

#include <utility>

const wchar_t kPromptTitle[] = L"消息框";

namespace {

constexpr int kSkinArchiveResource = 147;

// The owner's state around one modal prompt. A nested prompt finds the owner
// already disabled by the outer one; when it ends, the owner must stay so and
// the outer prompt gets the keyboard back.
class OwnerHold {
public:
    explicit OwnerHold(HWND owner)
        : owner_(owner), heldElsewhere_(owner && !::IsWindowEnabled(owner)), active_(::GetActiveWindow())
    {
    }
    ~OwnerHold()
    {
        if (!heldElsewhere_ || !::IsWindow(owner_)) return;
        ::EnableWindow(owner_, FALSE);
        if (active_ && ::IsWindow(active_)) ::SetActiveWindow(active_);
    }
    OwnerHold(const OwnerHold&) = delete;
    OwnerHold& operator=(const OwnerHold&) = delete;

private:
    HWND owner_;
    bool heldElsewhere_;
    HWND active_;
};

}  // namespace

CMessageBoxWnd::CMessageBoxWnd(DuiLib::FrameSkinSpec spec) : CDuiFrame(std::move(spec)) {}

CMessageBoxWnd::~CMessageBoxWnd() = default;

void CMessageBoxWnd::OnSkinLoaded()
{
    CDuiFrame::OnSkinLoaded();
    ApplyInstallerWindowStyle(GetHWND());
    okButton_ = paintManager_.FindControl(L"okBtn");
    cancelButton_ = paintManager_.FindControl(L"cancelBtn");
    textLabel_ = paintManager_.FindControl(L"textLbl");
    captionLabel_ = paintManager_.FindControl(L"captionLbl");
}

void CMessageBoxWnd::OnClick(DuiLib::NotifyMessage& msg)
{
    if (msg.sender && msg.sender == okButton_) {
        Close(1);
        result_ = PromptOk;
    } else if (msg.sender && msg.sender == cancelButton_) {
        Close(1);
        result_ = PromptCancel;
    } else {
        CDuiFrame::OnClick(msg);
        result_ = PromptOther;
    }
}

const DuiLib::NotifyMap& CMessageBoxWnd::MessageMap() const
{
    static const DuiLib::NotifyMap map{
        {L"click", L"", static_cast<DuiLib::NotifyHandler>(&CMessageBoxWnd::OnClick)},
    };
    return map;
}

void CMessageBoxWnd::SetMessageText(const std::wstring& text)
{
    if (textLabel_) textLabel_->SetText(text);
}

void CMessageBoxWnd::SetCaptionText(const std::wstring& caption)
{
    if (captionLabel_) captionLabel_->SetText(caption);
}

DuiLib::FrameSkinSpec PromptSkinSpec(const std::wstring& skinFile)
{
    return DuiLib::FrameSkinSpec::InArchiveResource(kSkinArchiveResource, skinFile);
}

int ShowPrompt(HWND owner, const DuiLib::FrameSkinSpec& spec, const std::optional<std::wstring>& text,
               const std::optional<std::wstring>& caption)
{
    OwnerHold hold(owner);
    CMessageBoxWnd prompt(spec);
    if (!prompt.Create(owner, kPromptTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT)) {
        return prompt.Result();
    }
    if (text) prompt.SetMessageText(*text);
    if (caption) prompt.SetCaptionText(*caption);
    prompt.CenterWindow();
    prompt.ShowModal();
    return prompt.Result();
}
