#include "ToolkitSkinTree.h"

#include "DuiLib/DialogBuilder.h"
#include "DuiLib/ResourceState.h"

namespace TestSupport {

bool UseEmbeddedSkinArchive()
{
    static bool opened = [] {
        DuiLib::SetArchiveFormat7z(true);
        return DuiLib::LoadArchiveResource(::GetModuleHandleW(nullptr), 147);
    }();
    return opened && DuiLib::GetCachedArchive() != nullptr;
}

bool ToolkitSkinTree::Build(const std::wstring& skinFile, int width, int height,
                            DuiLib::IDialogBuilderCallback* callback)
{
    if (!UseEmbeddedSkinArchive()) return false;
    DuiLib::DialogBuilder builder;
    std::unique_ptr<DuiLib::CControlUI> root = builder.Create(skinFile, callback, &manager_);
    if (!root) return false;
    manager_.AttachDialog(std::move(root));
    SIZE size = manager_.GetInitSize();
    manager_.LayoutRoot(width > 0 ? width : size.cx, height > 0 ? height : size.cy);
    return true;
}

RECT ToolkitSkinTree::Rect(const std::wstring& name) const
{
    DuiLib::CControlUI* control = Find(name);
    return control ? control->GetPos() : RECT{-1, -1, -1, -1};
}

}  // namespace TestSupport
