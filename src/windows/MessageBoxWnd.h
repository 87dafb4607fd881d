#pragma once
// The installer's prompts: one skinned frame class for the five prompt skins
// (two notices whose caption and text the caller supplies, three fixed
// questions) and ShowPrompt, which runs one modally over its owner and says
// which button ended it.

#include "DuiLib/DuiFrame.h"

#include <optional>
#include <string>

// The title every prompt window carries.
extern const wchar_t kPromptTitle[];  // "消息框"

// Answers of ShowPrompt.
enum PromptAnswer : int {
    PromptOk = 0,      // "okBtn"
    PromptCancel = 1,  // "cancelBtn", or closed without a click (Alt+F4, the system menu)
    PromptOther = 2,   // any other control that clicked ("closebtn" in the shipped skins)
};

class CMessageBoxWnd : public DuiLib::CDuiFrame {
public:
    explicit CMessageBoxWnd(DuiLib::FrameSkinSpec spec);
    ~CMessageBoxWnd() override;

    void OnSkinLoaded() override;
    void OnClick(DuiLib::NotifyMessage& msg) override;
    const DuiLib::NotifyMap& MessageMap() const override;

    // Into "textLbl" and "captionLbl"; nothing when the skin lacks the label.
    void SetMessageText(const std::wstring& text);
    void SetCaptionText(const std::wstring& caption);
    int Result() const { return result_; }

private:
    int result_ = PromptCancel;
    DuiLib::CControlUI* okButton_ = nullptr;      // not owned; in the window's tree
    DuiLib::CControlUI* cancelButton_ = nullptr;  // not owned
    DuiLib::CControlUI* textLabel_ = nullptr;     // not owned
    DuiLib::CControlUI* captionLabel_ = nullptr;  // not owned
};

// A prompt skin of the program's skin archive, its window class named after the file.
DuiLib::FrameSkinSpec PromptSkinSpec(const std::wstring& skinFile);

// Builds the prompt, puts the texts given into its labels (none keeps the
// skin's), centres it over the owner and runs it modally: the owner takes no
// input until it ends and has the focus afterwards. A prompt opened while
// another one holds the same owner returns first and leaves the owner to the
// outer one. Blocks the calling (UI) thread; returns a PromptAnswer.
int ShowPrompt(HWND owner, const DuiLib::FrameSkinSpec& spec, const std::optional<std::wstring>& text = std::nullopt,
               const std::optional<std::wstring>& caption = std::nullopt);
