#include "MainSkinPictures.h"

#include "DuiLib/GdiHandles.h"
#include "DuiLib/ImageData.h"
#include "DuiLib/ProgressUI.h"
#include "DuiLib/SequenceSkin.h"
#include "DuiLib/TabLayoutUI.h"
#include "DuiLib/ToolkitSkinTree.h"
#include "DuiLib/TreePicture.h"
#include "windows/SkinNames.h"

#include <cwchar>

namespace InstallerTest {

namespace {

using TestSupport::DrawTree;
using TestSupport::ScreenCapture;

const wchar_t* const kNamedControls[] = {
    L"defaultInstallBtn", L"customeBtn", L"tipLbl", L"backBtn", L"installDirEdit", L"chDirBtn",
    L"createDSCb", L"createQSCb", L"customeInstallBtn", L"progressAnLb", L"progressLb", L"installPrg",
    L"openProduceBtn", L"minbtn", L"closebtn"};

}  // namespace

namespace {

// The part of a picture inside box, kept at the same coordinates (the rest black).
ScreenCapture Crop(const ScreenCapture& picture, const RECT& box)
{
    ScreenCapture part;
    part.width = picture.width;
    part.height = picture.height;
    part.pixels.assign(picture.pixels.size(), 0);
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            part.pixels[static_cast<size_t>(y) * part.width + x] = picture.At(x, y);
        }
    }
    return part;
}

bool Inside(const RECT& box, int x, int y) { return x >= box.left && x < box.right && y >= box.top && y < box.bottom; }

// Dresses the tree for a page as the main window does on "tabselect"; the
// progress page keeps the title page of the start page it came from.
void DressPage(TestSupport::ToolkitSkinTree& tree, int page)
{
    auto* main = tree.As<DuiLib::CTabLayoutUI>(L"mainTabLt", L"TabLayout");
    auto* title = tree.As<DuiLib::CTabLayoutUI>(L"titleTabLt", L"TabLayout");
    main->SelectItem(page, false);
    title->SelectItem(page == SkinNames::kFinishPage ? 2 : 1, false);
    tree.Find(L"titleGrpCtn")->SetVisible(page != SkinNames::kProgressPage);
    tree.Find(L"backBtn")->SetVisible(page == SkinNames::kCustomPage);
}

}  // namespace

int DifferingPixels(const ScreenCapture& a, const ScreenCapture& b, const RECT& box)
{
    int differ = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) differ += a.At(x, y) != b.At(x, y) ? 1 : 0;
    }
    return differ;
}

const MainSkinPictures& MainSkinPictures::Get()
{
    static const MainSkinPictures pictures;
    return pictures;
}

MainSkinPictures::MainSkinPictures()
{
    TestSupport::SequenceControlFactory factory;
    pages_.resize(kPages);
    for (int page = 0; page < kPages; ++page) {
        TestSupport::ToolkitSkinTree tree;
        if (!tree.Build(SkinNames::kMainSkin, 0, 0, &factory)) return;
        SIZE size = tree.Manager().GetInitSize();
        DressPage(tree, page);
        tree.Layout(size.cx, size.cy);
        Page& shown = pages_[page];
        for (const wchar_t* name : kNamedControls) {
            DuiLib::CControlUI* control = tree.Find(name);
            if (control && control->IsVisible() && control->GetPos().right > control->GetPos().left) {
                shown.boxes[name] = control->GetPos();
            }
        }
        if (page == SkinNames::kCustomPage) shown.changing = {shown.boxes[L"installDirEdit"]};
        if (page == SkinNames::kProgressPage) {
            shown.changing = {shown.boxes[L"progressAnLb"], shown.boxes[L"progressLb"], shown.boxes[L"installPrg"]};
        }
        shown.picture = DrawTree(tree.Manager(), size, RECT{0, 0, size.cx, size.cy});
        if (page != SkinNames::kProgressPage) continue;

        barBox_ = shown.boxes[L"installPrg"];
        labelBox_ = shown.boxes[L"progressLb"];
        RECT both{labelBox_.left < barBox_.left ? labelBox_.left : barBox_.left, labelBox_.top,
                  labelBox_.right > barBox_.right ? labelBox_.right : barBox_.right, barBox_.bottom};
        auto* bar = tree.As<DuiLib::CProgressUI>(L"installPrg", L"Progress");
        for (int percent = 0; percent <= 100; ++percent) {
            wchar_t text[64];
            swprintf(text, 64, L"正在安装中:%d%%，请稍候...", percent);
            tree.Find(L"progressLb")->SetText(text);
            bar->SetValue(percent);
            percentPictures_.push_back(Crop(DrawTree(tree.Manager(), size, both), both));
        }
    }
    ready_ = true;
}

RECT MainSkinPictures::Box(int page, const std::wstring& name) const
{
    if (page < 0 || page >= kPages) return RECT{-1, -1, -1, -1};
    auto it = pages_[page].boxes.find(name);
    return it == pages_[page].boxes.end() ? RECT{-1, -1, -1, -1} : it->second;
}

POINT MainSkinPictures::Centre(int page, const std::wstring& name) const
{
    RECT box = Box(page, name);
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

int MainSkinPictures::DifferingPixels(const ScreenCapture& window, int page) const
{
    const Page& shown = pages_[page];
    int differ = 0;
    for (int y = 0; y < shown.picture.height; ++y) {
        for (int x = 0; x < shown.picture.width; ++x) {
            bool skipped = false;
            for (const RECT& box : shown.changing) skipped = skipped || Inside(box, x, y);
            if (!skipped && window.At(x, y) != shown.picture.At(x, y)) ++differ;
        }
    }
    return differ;
}

int MainSkinPictures::PageShown(const ScreenCapture& window) const
{
    if (!ready_ || window.width != pages_[0].picture.width || window.height != pages_[0].picture.height) return -1;
    // A little room for what the comparison cannot foresee (the edges of
    // the rounded window); a page seen is far below it, any other far above.
    const int tolerance = 100;
    for (int page = 0; page < kPages; ++page) {
        if (DifferingPixels(window, page) <= tolerance) return page;
    }
    return -1;
}

int MainSkinPictures::PercentShown(const ScreenCapture& window) const
{
    if (!ready_) return -1;
    for (int percent = 0; percent <= 100; ++percent) {
        const ScreenCapture& drawn = percentPictures_[percent];
        if (InstallerTest::DifferingPixels(window, drawn, barBox_) == 0 &&
            InstallerTest::DifferingPixels(window, drawn, labelBox_) == 0) {
            return percent;
        }
    }
    return -1;
}

}  // namespace InstallerTest
