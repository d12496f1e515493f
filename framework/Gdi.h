#pragma once

// Brushes, pens and palettes beside the bitmap, region and font objects that
// the skin source fills (SkinObjects.h). Each owns its handle.

#include "SkinObjects.h"

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
    BOOL CreatePatternBrush(const CBitmap* bitmap)
    {
        return Attach(::CreatePatternBrush(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
    }
};

class CPen : public CGdiObject {
public:
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int style, int width, COLORREF colour)
    {
        return Attach(::CreatePen(style, width, colour));
    }
};

class CPalette : public CGdiObject {
public:
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
    BOOL CreatePalette(const LOGPALETTE* palette) { return Attach(::CreatePalette(palette)); }
};
