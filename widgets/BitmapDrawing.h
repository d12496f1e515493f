#pragma once

// Opaque, stretched and transparent bitmap blits shared by the skinned widgets.

#include "DC.h"
#include "widgets/MemDC.h"

// The colour that skin bitmaps use for "no pixel here".
constexpr COLORREF kSkinTransparentColour = RGB(255, 0, 255);

// (0, 0) when the bitmap's record cannot be read.
CSize GetBitmapSize(const CBitmap& bitmap);

// Copies the source part of the bitmap (all of it when null) to the
// destination (the source rectangle when null); stretches when the sizes
// differ. False without a bitmap.
bool DrawBitmap(CDC* dc, CBitmap* bitmap, const CRect* destination = nullptr,
                const CRect* source = nullptr);

// A part of a bitmap made ready to be drawn again and again with one colour
// transparent: its mask and its picture with black in the transparent pixels
// are made once, and each drawing is then two blits.
class CTransparentBitmap {
public:
    // The part at its place in the bitmap; nothing is drawn without a bitmap
    // or with an empty part.
    void prepare(const CDC* dc, const CBitmap& bitmap, const CRect& part, COLORREF transparent);
    void release();
    bool ready() const { return m_mask.ready(); }

    // The part with its top-left corner at the point, leaving the context
    // unchanged where the bitmap has the transparent colour. The context goes
    // through a black silhouette, so it is best an off-screen one.
    void draw(CDC* dc, CPoint at) const;

private:
    CBitmapDC m_mask;
    CBitmapDC m_picture;
};

// Copies the bitmap part at (sourceX, sourceY) to the destination, leaving the
// destination unchanged where the bitmap has the transparent colour.
void DrawTransparentBitmap(CDC* dc, CBitmap* bitmap, const CRect& destination,
                           COLORREF transparent, int sourceX = 0, int sourceY = 0);

// The same picture for the bitmap's top-left part of the rectangle's size, by
// exclusive-or blits that leave the bitmap untouched.
void DrawMaskedBitmap(CDC* dc, const CRect& rect, CBitmap* bitmap, COLORREF transparent);

// The rectangle narrowed to the size and centred on each axis that has room;
// unchanged when the size is not at least 1 by 1.
CRect CenterSizeInRect(const CRect& rect, CSize size);

// The focus ring: a frame of the width just inside the rectangle, in the colour,
// or, for CLR_INVALID (a skin that gives none), inverting what lies under
// it, so that it shows on any artwork.
void DrawFocusRing(HDC dc, const RECT& rect, COLORREF colour, int width);
