#pragma once

#include "DC.h"

// Off-screen painting: callers draw into this context in the target's
// coordinates, and the picture reaches the target in one copy when it goes.
// A printer context is drawn on directly.
class CMemDC : public CDC {
public:
    // rect: the area to paint, the target's clip box when null. copyFirst
    // starts from the target's current picture; realizePalette selects a
    // palette of the picture's colours into a palette-based target.
    explicit CMemDC(CDC* target, const CRect* rect = nullptr, bool copyFirst = false,
                    bool realizePalette = false);
    ~CMemDC() override;

    const CRect& GetRect() const { return m_rect; }

private:
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    CDC* m_target;
    CRect m_rect;
    bool m_offScreen;
    bool m_realizePalette;
};

// A memory context that keeps one bitmap selected for as long as it holds it.
// Paints that copy from or into the same bitmaps again and again then select
// none of them: a selection costs more than a small copy.
class CBitmapDC : public CDC {
public:
    CBitmapDC() = default;
    ~CBitmapDC() override { release(); }

    // The bitmap selected into a new context compatible with the target. A
    // bitmap without a handle leaves the context with its own one-pixel
    // monochrome bitmap, as a failed selection would.
    void selectBitmap(const CDC* target, const CBitmap& bitmap);
    // A new bitmap compatible with the target, owned and selected.
    void createBitmap(const CDC* target, int width, int height);
    // A new monochrome bitmap, owned and selected.
    void createMonochrome(const CDC* target, int width, int height);
    // Deletes the context, which lets go of the bitmap, then an owned bitmap.
    void release();

    bool ready() const { return m_hDC != nullptr; }
    // The size of the bitmap it was made with.
    CSize size() const { return m_size; }

private:
    void selectOwned(const CDC* target, int width, int height);

    CBitmap m_owned;
    CSize m_size;
};
