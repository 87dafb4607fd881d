#include "PromptPicture.h"

#include "DuiLib/ToolkitSkinTree.h"
#include "DuiLib/TreePicture.h"
#include "MainSkinPictures.h"

namespace InstallerTest {

namespace {
const wchar_t* const kPromptControls[] = {L"okBtn", L"cancelBtn", L"closebtn", L"textLbl", L"captionLbl"};
}

PromptPicture::PromptPicture(const std::wstring& skinFile) : skinFile_(skinFile)
{
    TestSupport::ToolkitSkinTree tree;
    if (!tree.Build(skinFile)) return;
    size_ = tree.Manager().GetInitSize();
    for (const wchar_t* name : kPromptControls) {
        if (tree.Find(name)) boxes_[name] = tree.Rect(name);
    }
}

std::optional<POINT> PromptPicture::Centre(const std::wstring& name) const
{
    auto it = boxes_.find(name);
    if (it == boxes_.end()) return std::nullopt;
    return POINT{(it->second.left + it->second.right) / 2, (it->second.top + it->second.bottom) / 2};
}

TestSupport::ScreenCapture PromptPicture::Draw(const std::optional<std::wstring>& text,
                                               const std::optional<std::wstring>& caption) const
{
    TestSupport::ToolkitSkinTree tree;
    if (!tree.Build(skinFile_)) return TestSupport::ScreenCapture();
    if (text && tree.Find(L"textLbl")) tree.Find(L"textLbl")->SetText(*text);
    if (caption && tree.Find(L"captionLbl")) tree.Find(L"captionLbl")->SetText(*caption);
    return TestSupport::DrawTree(tree.Manager(), size_, RECT{0, 0, size_.cx, size_.cy});
}

bool PromptPicture::ShowsTexts(const TestSupport::ScreenCapture& prompt, const std::optional<std::wstring>& text,
                               const std::optional<std::wstring>& caption) const
{
    TestSupport::ScreenCapture expected = Draw(text, caption);
    if (expected.width == 0) return false;
    for (const wchar_t* label : {L"textLbl", L"captionLbl"}) {
        auto it = boxes_.find(label);
        if (it != boxes_.end() && DifferingPixels(prompt, expected, it->second) != 0) return false;
    }
    return true;
}

}  // namespace InstallerTest
