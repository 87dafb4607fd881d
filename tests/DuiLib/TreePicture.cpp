#include "TreePicture.h"

#include "DuiLib/GdiHandles.h"
#include "DuiLib/ImageData.h"
#include "DuiLib/PaintManager.h"

namespace TestSupport {

ScreenCapture DrawTree(DuiLib::PaintManager& manager, SIZE size, const RECT& clip)
{
    ScreenCapture picture;
    DuiLib::ImagePtr buffer = DuiLib::CreateImageData(size.cx, size.cy);
    if (!buffer) return picture;
    {
        DuiLib::UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
        DuiLib::ScopedSelect select(memory.Get(), buffer->bitmap.Get());
        RECT all{0, 0, size.cx, size.cy};
        ::FillRect(memory.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        manager.Paint(memory.Get(), clip);
        ::GdiFlush();
    }
    picture.width = size.cx;
    picture.height = size.cy;
    picture.pixels.assign(buffer->bits, buffer->bits + static_cast<size_t>(size.cx) * size.cy);
    for (auto& pixel : picture.pixels) pixel &= 0xFFFFFF;
    return picture;
}

}  // namespace TestSupport
