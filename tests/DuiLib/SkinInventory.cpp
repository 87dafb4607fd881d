#include "SkinInventory.h"

namespace SkinTests {
namespace {

// name prefix + numbered suffixes, all of one size
void AddNumbered(std::vector<InventoryImage>& out, const std::wstring& stem, int first, int last, int w, int h,
    bool palette = false)
{
    for (int i = first; i <= last; ++i) out.push_back({stem + std::to_wstring(i) + L".png", w, h, palette});
}

std::vector<InventoryImage> MakeImages()
{
    std::vector<InventoryImage> images;
    AddNumbered(images, L"res/mainWnd/bg", 1, 4, 600, 400);
    images.push_back({L"res/mainWnd/logo.png", 292, 62, false});
    AddNumbered(images, L"res/mainWnd/installBtn", 1, 3, 200, 46);
    AddNumbered(images, L"res/mainWnd/experienceBtn", 1, 3, 200, 46);
    AddNumbered(images, L"res/mainWnd/chDirBtn", 1, 3, 81, 36);
    AddNumbered(images, L"res/mainWnd/backBtn", 1, 3, 64, 30);
    AddNumbered(images, L"res/mainWnd/customeBtn", 1, 2, 16, 16, true);
    AddNumbered(images, L"res/mainWnd/Cb", 1, 2, 15, 14);
    images.push_back({L"res/mainWnd/installDirEdit.png", 340, 36, false});
    images.push_back({L"res/mainWnd/installPrg1.png", 410, 8, false});
    images.push_back({L"res/mainWnd/installPrg2.png", 520, 8, false});
    images.push_back({L"res/mainWnd/tipLbl.png", 120, 36, false});
    images.push_back({L"res/mainWnd/finished.png", 80, 80, false});
    for (int i = 0; i <= 20; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"res/mainWnd/installBtnAnimate/%.3d.png", i);
        images.push_back({name, 160, 160, false});
    }
    AddNumbered(images, L"res/common/minbtn", 1, 3, 24, 24);
    AddNumbered(images, L"res/common/closebtn", 1, 3, 24, 24);
    AddNumbered(images, L"res/common/closebtnM_", 1, 3, 24, 24);
    images.push_back({L"res/MessageBoxWnd/icoQuest.png", 40, 40, false});
    images.push_back({L"res/MessageBoxWnd/icoNetwork.png", 40, 40, false});
    images.push_back({L"res/MessageBoxWnd/icoWarn.png", 40, 40, false});
    return images;
}

}  // namespace

const std::vector<std::wstring>& InventoryXmlFiles()
{
    static const std::vector<std::wstring> files = {L"mainWnd.xml", L"MessageBox1Wnd.xml", L"MessageBox2Wnd.xml",
        L"exitTipWnd.xml", L"NetworkTipWnd.xml", L"InstalledPathTipWnd.xml"};
    return files;
}

const std::vector<InventoryImage>& InventoryImages()
{
    static const std::vector<InventoryImage> images = MakeImages();
    return images;
}

}  // namespace SkinTests
