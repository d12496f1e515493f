#include "widgets/BitmapDrawing.h"

#include "widgets/Select.h"

namespace {

// Monochrome blits turn 1 bits into the target's background colour and 0 bits
// into its text colour; masks need white and black.
class CMaskColours {
public:
    explicit CMaskColours(CDC* dc)
        : m_dc(dc), m_background(dc->SetBkColor(RGB(255, 255, 255))),
          m_text(dc->SetTextColor(RGB(0, 0, 0)))
    {
    }
    ~CMaskColours()
    {
        m_dc->SetBkColor(m_background);
        m_dc->SetTextColor(m_text);
    }
    CMaskColours(const CMaskColours&) = delete;
    CMaskColours& operator=(const CMaskColours&) = delete;

private:
    CDC* m_dc;
    COLORREF m_background;
    COLORREF m_text;
};

} // namespace

CSize GetBitmapSize(const CBitmap& bitmap)
{
    BITMAP info{};
    if (!bitmap.GetBitmap(&info))
        return CSize(0, 0);
    return CSize(info.bmWidth, info.bmHeight);
}

bool DrawBitmap(CDC* dc, CBitmap* bitmap, const CRect* destination, const CRect* source)
{
    if (!bitmap || !bitmap->GetSafeHandle())
        return false;
    const CRect from = source ? *source : CRect(CPoint(0, 0), GetBitmapSize(*bitmap));
    const CRect to = destination ? *destination : from;
    CDC memory;
    memory.CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectGdiObject(memory, bitmap);
    BOOL copied;
    if (to.Size() == from.Size()) {
        copied = dc->BitBlt(to.left, to.top, to.Width(), to.Height(), &memory, from.left,
                            from.top, SRCCOPY);
    } else {
        const int previousMode = dc->SetStretchBltMode(COLORONCOLOR);
        copied = dc->StretchBlt(to.left, to.top, to.Width(), to.Height(), &memory, from.left,
                                from.top, from.Width(), from.Height(), SRCCOPY);
        dc->SetStretchBltMode(previousMode);
    }
    memory.SelectObject(previous);
    return copied != FALSE;
}

void CTransparentBitmap::prepare(const CDC* dc, const CBitmap& bitmap, const CRect& part,
                                 COLORREF transparent)
{
    release();
    const int w = part.Width();
    const int h = part.Height();
    if (!bitmap.GetSafeHandle() || w <= 0 || h <= 0)
        return;
    CBitmapDC source;
    source.selectBitmap(dc, bitmap);
    m_mask.createMonochrome(dc, w, h);
    source.SetBkColor(transparent);
    m_mask.BitBlt(0, 0, w, h, &source, part.left, part.top, SRCCOPY);

    CBitmapDC inverseMask;
    inverseMask.createMonochrome(dc, w, h);
    inverseMask.BitBlt(0, 0, w, h, &m_mask, 0, 0, NOTSRCCOPY);
    m_picture.createBitmap(&source, w, h);
    m_picture.BitBlt(0, 0, w, h, &source, part.left, part.top, SRCCOPY);
    CMaskColours colours(&m_picture);
    m_picture.BitBlt(0, 0, w, h, &inverseMask, 0, 0, SRCAND);
}

void CTransparentBitmap::release()
{
    m_mask.release();
    m_picture.release();
}

void CTransparentBitmap::draw(CDC* dc, CPoint at) const
{
    if (!ready())
        return;
    const CSize size = m_mask.size();
    {
        CMaskColours colours(dc);
        dc->BitBlt(at.x, at.y, size.cx, size.cy, &m_mask, 0, 0, SRCAND);
    }
    dc->BitBlt(at.x, at.y, size.cx, size.cy, &m_picture, 0, 0, SRCPAINT);
}

void DrawTransparentBitmap(CDC* dc, CBitmap* bitmap, const CRect& destination,
                           COLORREF transparent, int sourceX, int sourceY)
{
    if (!bitmap)
        return;
    CTransparentBitmap prepared;
    prepared.prepare(dc, *bitmap, CRect(CPoint(sourceX, sourceY), destination.Size()), transparent);
    prepared.draw(dc, CPoint(destination.left, destination.top));
}

void DrawMaskedBitmap(CDC* dc, const CRect& rect, CBitmap* bitmap, COLORREF transparent)
{
    const int w = rect.Width();
    const int h = rect.Height();
    if (!bitmap || !bitmap->GetSafeHandle() || w <= 0 || h <= 0)
        return;
    CDC memory, mask;
    memory.CreateCompatibleDC(dc);
    mask.CreateCompatibleDC(dc);
    CBitmap maskBitmap;
    maskBitmap.CreateBitmap(w, h, 1, 1, nullptr);
    HGDIOBJ previousMask = SelectGdiObject(mask, &maskBitmap);
    HGDIOBJ previousBitmap = SelectGdiObject(memory, bitmap);
    const COLORREF background = memory.SetBkColor(transparent);
    mask.BitBlt(0, 0, w, h, &memory, 0, 0, SRCCOPY);
    memory.SetBkColor(background);

    dc->BitBlt(rect.left, rect.top, w, h, &memory, 0, 0, SRCINVERT);
    {
        CMaskColours colours(dc);
        dc->BitBlt(rect.left, rect.top, w, h, &mask, 0, 0, SRCAND);
    }
    dc->BitBlt(rect.left, rect.top, w, h, &memory, 0, 0, SRCINVERT);

    memory.SelectObject(previousBitmap);
    mask.SelectObject(previousMask);
}

CRect CenterSizeInRect(const CRect& rect, CSize size)
{
    CRect centred = rect;
    if (size.cx < 1 || size.cy < 1)
        return centred;
    const int spareX = (rect.Width() - size.cx) / 2;
    if (spareX > 0) {
        centred.left = rect.left + spareX;
        centred.right = centred.left + size.cx;
    }
    const int spareY = (rect.Height() - size.cy) / 2;
    if (spareY > 0) {
        centred.top = rect.top + spareY;
        centred.bottom = centred.top + size.cy;
    }
    return centred;
}

void DrawFocusRing(HDC dc, const RECT& rect, COLORREF colour, int width)
{
    const RECT sides[] = {{rect.left, rect.top, rect.right, rect.top + width},
                          {rect.left, rect.bottom - width, rect.right, rect.bottom},
                          {rect.left, rect.top + width, rect.left + width, rect.bottom - width},
                          {rect.right - width, rect.top + width, rect.right, rect.bottom - width}};
    HBRUSH brush = colour == CLR_INVALID ? nullptr : ::CreateSolidBrush(colour);
    for (const RECT& side : sides) {
        if (brush)
            ::FillRect(dc, &side, brush);
        else
            ::InvertRect(dc, &side);
    }
    if (brush)
        ::DeleteObject(brush);
}
