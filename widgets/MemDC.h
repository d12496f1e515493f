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
