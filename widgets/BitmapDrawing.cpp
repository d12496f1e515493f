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

void DrawTransparentBitmap(CDC* dc, CBitmap* bitmap, const CRect& destination,
                           COLORREF transparent, int sourceX, int sourceY)
{
    const int w = destination.Width();
    const int h = destination.Height();
    if (!bitmap || !bitmap->GetSafeHandle() || w <= 0 || h <= 0)
        return;
    CDC source, saved, mask, inverseMask, work;
    source.CreateCompatibleDC(dc);
    saved.CreateCompatibleDC(dc);
    mask.CreateCompatibleDC(dc);
    inverseMask.CreateCompatibleDC(dc);
    work.CreateCompatibleDC(dc);

    HGDIOBJ previousSource = SelectGdiObject(source, bitmap);
    CBitmap maskBitmap, inverseMaskBitmap, savedBitmap, workBitmap;
    maskBitmap.CreateBitmap(w, h, 1, 1, nullptr);
    inverseMaskBitmap.CreateBitmap(w, h, 1, 1, nullptr);
    savedBitmap.CreateCompatibleBitmap(source, w, h);
    workBitmap.CreateCompatibleBitmap(*dc, w, h);
    HGDIOBJ previousMask = SelectGdiObject(mask, &maskBitmap);
    HGDIOBJ previousInverse = SelectGdiObject(inverseMask, &inverseMaskBitmap);
    HGDIOBJ previousSaved = SelectGdiObject(saved, &savedBitmap);
    HGDIOBJ previousWork = SelectGdiObject(work, &workBitmap);

    saved.BitBlt(0, 0, w, h, &source, sourceX, sourceY, SRCCOPY);

    const COLORREF sourceBackground = source.SetBkColor(transparent);
    mask.BitBlt(0, 0, w, h, &source, sourceX, sourceY, SRCCOPY);
    source.SetBkColor(sourceBackground);
    inverseMask.BitBlt(0, 0, w, h, &mask, 0, 0, NOTSRCCOPY);

    work.BitBlt(0, 0, w, h, dc, destination.left, destination.top, SRCCOPY);
    {
        CMaskColours colours(&work);
        work.BitBlt(0, 0, w, h, &mask, 0, 0, SRCAND);
    }
    {
        CMaskColours colours(&source);
        source.BitBlt(sourceX, sourceY, w, h, &inverseMask, 0, 0, SRCAND);
    }
    work.BitBlt(0, 0, w, h, &source, sourceX, sourceY, SRCPAINT);
    dc->BitBlt(destination.left, destination.top, w, h, &work, 0, 0, SRCCOPY);

    source.BitBlt(sourceX, sourceY, w, h, &saved, 0, 0, SRCCOPY);

    work.SelectObject(previousWork);
    saved.SelectObject(previousSaved);
    inverseMask.SelectObject(previousInverse);
    mask.SelectObject(previousMask);
    source.SelectObject(previousSource);
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
