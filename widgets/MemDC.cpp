#include "widgets/MemDC.h"

#include "widgets/BitmapDrawing.h"
#include "widgets/Select.h"

#include <vector>

namespace {

constexpr int kPaletteEntries = 236;

// Selects and realises in the target a palette of the picture's colour table;
// returns the palette it displaced.
HPALETTE realizePictureColours(const CDC& picture, CDC* target, CPalette& palette)
{
    RGBQUAD colours[kPaletteEntries]{};
    ::GetDIBColorTable(picture, 0, kPaletteEntries, colours);
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + (kPaletteEntries - 1) * sizeof(PALETTEENTRY));
    auto* description = reinterpret_cast<LOGPALETTE*>(storage.data());
    description->palVersion = 0x300;
    description->palNumEntries = kPaletteEntries;
    for (int i = 0; i < kPaletteEntries; ++i)
        description->palPalEntry[i] = PALETTEENTRY{colours[i].rgbRed, colours[i].rgbGreen,
                                                   colours[i].rgbBlue, 0};
    if (!palette.CreatePalette(description))
        return nullptr;
    HPALETTE previous = target->SelectPalette(&palette, FALSE);
    target->RealizePalette();
    return previous;
}

} // namespace

CMemDC::CMemDC(CDC* target, const CRect* rect, bool copyFirst, bool realizePalette)
    : m_target(target), m_offScreen(!target->IsPrinting()), m_realizePalette(realizePalette)
{
    if (!m_offScreen) {
        m_hDC = target->m_hDC;
        m_bPrinting = TRUE;
        return;
    }
    if (rect)
        m_rect = *rect;
    else
        target->GetClipBox(&m_rect);
    CreateCompatibleDC(target);
    m_bitmap.CreateCompatibleBitmap(*target, m_rect.Width(), m_rect.Height());
    m_oldBitmap = SelectGdiObject(m_hDC, &m_bitmap);
    SetWindowOrg(m_rect.left, m_rect.top);
    if (copyFirst)
        BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), target, m_rect.left,
               m_rect.top, SRCCOPY);
}

CMemDC::~CMemDC()
{
    if (!m_offScreen) {
        // The target's context is not ours to delete.
        Detach();
        return;
    }
    CPalette palette;
    HPALETTE previousPalette = nullptr;
    if (m_realizePalette && (m_target->GetDeviceCaps(RASTERCAPS) & RC_PALETTE))
        previousPalette = realizePictureColours(*this, m_target, palette);
    m_target->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left,
                     m_rect.top, SRCCOPY);
    SelectObject(m_oldBitmap);
    if (previousPalette)
        ::SelectPalette(*m_target, previousPalette, FALSE);
}

void CBitmapDC::selectBitmap(const CDC* target, const CBitmap& bitmap)
{
    release();
    CreateCompatibleDC(target);
    SelectGdiObject(m_hDC, &bitmap);
    m_size = GetBitmapSize(bitmap);
}

void CBitmapDC::createBitmap(const CDC* target, int width, int height)
{
    release();
    m_owned.CreateCompatibleBitmap(*target, width, height);
    selectOwned(target, width, height);
}

void CBitmapDC::createMonochrome(const CDC* target, int width, int height)
{
    release();
    m_owned.CreateBitmap(width, height, 1, 1, nullptr);
    selectOwned(target, width, height);
}

void CBitmapDC::selectOwned(const CDC* target, int width, int height)
{
    CreateCompatibleDC(target);
    SelectGdiObject(m_hDC, &m_owned);
    m_size = CSize(width, height);
}

void CBitmapDC::release()
{
    DeleteDC();
    m_owned.DeleteObject();
    m_size = CSize(0, 0);
}
