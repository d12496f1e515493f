#include "widgets/ScaledSkinParser.h"

#include "Dpi.h"
#include "widgets/BitmapDrawing.h"

#include <vector>

namespace {

HBITMAP createPixels(SIZE size, DWORD*& pixels)
{
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.cx;
    format.bmiHeader.biHeight = -size.cy;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<DWORD*>(bits);
    return bitmap;
}

// Halftone stretching, which blends neighbouring pixels instead of repeating
// them in blocks. The skin's transparent pixels stay exactly where the
// picture has them: blended into their neighbours they would be drawn as a
// fringe of near-magenta.
HBITMAP stretchedSmoothly(const CDynBitmap& source, SIZE size)
{
    DWORD* smooth = nullptr;
    DWORD* nearest = nullptr;
    HBITMAP result = createPixels(size, smooth);
    HBITMAP picked = createPixels(size, nearest);
    if (!result || !picked) {
        ::DeleteObject(result);
        ::DeleteObject(picked);
        return nullptr;
    }
    HDC from = ::CreateCompatibleDC(nullptr);
    HDC to = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ oldFrom = ::SelectObject(from, source.GetSafeHandle());
    const HGDIOBJ oldTo = ::SelectObject(to, picked);
    const int width = source.GetWidth(), height = source.GetHeight();
    ::SetStretchBltMode(to, COLORONCOLOR);
    ::StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, width, height, SRCCOPY);
    ::SelectObject(to, result);
    ::SetStretchBltMode(to, HALFTONE);
    ::SetBrushOrgEx(to, 0, 0, nullptr);
    ::StretchBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, width, height, SRCCOPY);
    ::SelectObject(to, oldTo);
    ::SelectObject(from, oldFrom);
    ::DeleteDC(to);
    ::DeleteDC(from);
    ::GdiFlush();
    constexpr DWORD transparent = 0xFF00FF; // kSkinTransparentColour in a DIB's byte order
    static_assert(kSkinTransparentColour == RGB(0xFF, 0x00, 0xFF));
    for (size_t i = 0, count = static_cast<size_t>(size.cx) * size.cy; i < count; ++i) {
        if ((nearest[i] & 0xFFFFFF) == transparent)
            smooth[i] = nearest[i];
    }
    ::DeleteObject(picked);
    return result;
}

RECT boundsOf(const CDynRgn& region)
{
    RECT bounds{};
    ::GetRgnBox(region, &bounds);
    return bounds;
}

} // namespace

bool CScaledSkinParser::atDesignScale() const
{
    return m_dpi == kDesignDpi;
}

int CScaledSkinParser::scaled(int designPixels) const
{
    return ScaledToDpi(designPixels, m_dpi);
}

POINT CScaledSkinParser::scaled(POINT design) const
{
    return POINT{scaled(design.x), scaled(design.y)};
}

SIZE CScaledSkinParser::scaled(SIZE design) const
{
    return SIZE{scaled(design.cx), scaled(design.cy)};
}

RECT CScaledSkinParser::scaled(RECT design) const
{
    return RECT{scaled(design.left), scaled(design.top), scaled(design.right),
                scaled(design.bottom)};
}

CString CScaledSkinParser::keyAtScale(const CString& key) const
{
    CString scaledKey;
    scaledKey.Format(L"%s@%u", key.GetString(), m_dpi);
    return scaledKey;
}

template <typename Value>
bool CScaledSkinParser::scaledWhenFound(bool found, const Value& design, Value& value) const
{
    if (found)
        value = scaled(design);
    return found;
}

bool CScaledSkinParser::getInt(CString key, int& value)
{
    int design = 0;
    return scaledWhenFound(m_source.getInt(key, design), design, value);
}

bool CScaledSkinParser::getRect(CString key, RECT& value)
{
    RECT design{};
    return scaledWhenFound(m_source.getRect(key, design), design, value);
}

// The anchor is a share of the parent's size, which is scaled already.
bool CScaledSkinParser::getPosition(CString key, POINT& offset, POINT& anchorPercent)
{
    POINT design{};
    return scaledWhenFound(m_source.getPosition(key, design, anchorPercent), design, offset);
}

bool CScaledSkinParser::getSize(CString key, SIZE& value)
{
    SIZE design{};
    return scaledWhenFound(m_source.getSize(key, design), design, value);
}

bool CScaledSkinParser::getPoint(CString key, POINT& value)
{
    POINT design{};
    return scaledWhenFound(m_source.getPoint(key, design), design, value);
}

// The font is made again at the scaled height, so its letters are drawn at
// that size rather than stretched.
bool CScaledSkinParser::getFont(CString key, CFont& value)
{
    if (atDesignScale())
        return m_source.getFont(key, value);
    CFont design;
    LOGFONTW font{};
    if (!m_source.getFont(key, design) || !::GetObjectW(design.GetSafeHandle(), sizeof font, &font))
        return false;
    font.lfHeight = scaled(font.lfHeight);
    font.lfWidth = scaled(font.lfWidth);
    return value.CreateFontIndirect(&font) != FALSE;
}

bool CScaledSkinParser::getBitmap(CString key, CDynBitmap& value)
{
    if (atDesignScale())
        return m_source.getBitmap(key, value);
    CDynBitmap design;
    if (!m_source.getBitmap(key, design))
        return false;
    const SIZE size{scaled(design.GetWidth()), scaled(design.GetHeight())};
    CDynBitmap artwork;
    const bool ownArtwork = m_source.getBitmap(keyAtScale(key), artwork);
    if (ownArtwork && artwork.GetWidth() == size.cx && artwork.GetHeight() == size.cy)
        return value.Attach(artwork.Detach());
    HBITMAP stretched = stretchedSmoothly(ownArtwork ? artwork : design, size);
    return stretched && value.Attach(stretched);
}

bool CScaledSkinParser::getRegion(CString key, CDynRgn& value)
{
    if (atDesignScale())
        return m_source.getRegion(key, value);
    CDynRgn design;
    if (!m_source.getRegion(key, design))
        return false;
    const RECT expected = scaled(boundsOf(design));
    CDynRgn outline;
    if (m_source.getRegion(keyAtScale(key), outline)) {
        const RECT outlineBounds = boundsOf(outline);
        if (::EqualRect(&expected, &outlineBounds))
            return value.Attach(outline.Detach());
    }
    // Scaled rectangle by rectangle: the rows of a region stay in order.
    const DWORD bytes = ::GetRegionData(design, 0, nullptr);
    std::vector<BYTE> data(bytes);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (!bytes || !::GetRegionData(design, bytes, header))
        return false;
    auto* rects = reinterpret_cast<RECT*>(header->Buffer);
    for (DWORD i = 0; i < header->rdh.nCount; ++i)
        rects[i] = scaled(rects[i]);
    header->rdh.rcBound = expected;
    HRGN region = ::ExtCreateRegion(nullptr, bytes, header);
    return region && value.Attach(region);
}

bool CScaledSkinParser::getCursor(CString key, HCURSOR& value)
{
    return (!atDesignScale() && m_source.getCursor(keyAtScale(key), value)) ||
           m_source.getCursor(key, value);
}
