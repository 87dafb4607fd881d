#pragma once
// Owners for the GDI objects the toolkit creates: fonts, bitmaps, brushes,
// pens, regions and memory device contexts.

#include "Utils/UniqueResource.h"

namespace DuiLib {

inline void DeleteGdiFont(HFONT h) { ::DeleteObject(h); }
inline void DeleteGdiBitmap(HBITMAP h) { ::DeleteObject(h); }
inline void DeleteGdiBrush(HBRUSH h) { ::DeleteObject(h); }
inline void DeleteGdiPen(HPEN h) { ::DeleteObject(h); }
inline void DeleteGdiRegion(HRGN h) { ::DeleteObject(h); }
inline void DeleteMemoryDc(HDC h) { ::DeleteDC(h); }

using UniqueFont = Utils::UniqueResource<Utils::NullTraits<HFONT, DeleteGdiFont>>;
using UniqueBitmap = Utils::UniqueResource<Utils::NullTraits<HBITMAP, DeleteGdiBitmap>>;
using UniqueBrush = Utils::UniqueResource<Utils::NullTraits<HBRUSH, DeleteGdiBrush>>;
using UniquePen = Utils::UniqueResource<Utils::NullTraits<HPEN, DeleteGdiPen>>;
using UniqueRegion = Utils::UniqueResource<Utils::NullTraits<HRGN, DeleteGdiRegion>>;
using UniqueMemoryDc = Utils::UniqueResource<Utils::NullTraits<HDC, DeleteMemoryDc>>;

// Selects an object into a device context for one scope and puts the previous
// one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (old_) ::SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves the device context's state (clip region above all) for one scope.
class ScopedDcState {
public:
    explicit ScopedDcState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~ScopedDcState()
    {
        if (saved_) ::RestoreDC(dc_, saved_);
    }
    ScopedDcState(const ScopedDcState&) = delete;
    ScopedDcState& operator=(const ScopedDcState&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace DuiLib
