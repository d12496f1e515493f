#pragma once

#include "Gdi.h"
#include "Rect.h"

class CWnd;

// A device context. Every wrapper of this family owns the context it holds,
// as the GDI object wrappers own theirs: Attach releases the one held
// before, the destructor the one held last, Detach hands it back untouched.
// The derived classes below get and release theirs for a window; a plain CDC
// is usually a memory context made by CreateCompatibleDC; a context that the
// caller owns is drawn on through a CBorrowedDC.
class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    // Set for a context that draws on a printer page.
    BOOL m_bPrinting = FALSE;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }
    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(const CDC* dc);
    BOOL DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    int SelectClipRgn(const CRgn* region)
    {
        return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(*region) : nullptr);
    }
    int IntersectClipRect(const RECT& rect)
    {
        return ::IntersectClipRect(m_hDC, rect.left, rect.top, rect.right, rect.bottom);
    }
    int GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    HPALETTE SelectPalette(const CPalette* palette, BOOL forceBackground)
    {
        return ::SelectPalette(m_hDC, *palette, forceBackground);
    }
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    CPoint SetWindowOrg(int x, int y);

    BOOL BitBlt(int x, int y, int width, int height, const CDC* source, int sourceX, int sourceY,
                DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sourceX,
                        sourceY, rop);
    }
    BOOL StretchBlt(int x, int y, int width, int height, const CDC* source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, width, height, source->m_hDC, sourceX, sourceY,
                            sourceWidth, sourceHeight, rop);
    }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }

    COLORREF SetBkColor(COLORREF colour) { return ::SetBkColor(m_hDC, colour); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

    CSize GetTextExtent(const CString& text) const;
    BOOL GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }
    int DrawText(const CString& text, RECT* rect, UINT format)
    {
        return ::DrawTextW(m_hDC, text, text.GetLength(), rect, format);
    }
    BOOL TextOut(int x, int y, const CString& text)
    {
        return ::TextOutW(m_hDC, x, y, text, text.GetLength());
    }

    CPoint MoveTo(int x, int y)
    {
        POINT previous{};
        ::MoveToEx(m_hDC, x, y, &previous);
        return previous;
    }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int left, int top, int right, int bottom)
    {
        return ::Rectangle(m_hDC, left, top, right, bottom);
    }

    void FillRect(const RECT& rect, const CBrush* brush) { ::FillRect(m_hDC, &rect, *brush); }
    void FillSolidRect(const RECT& rect, COLORREF colour);
    void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
};

// The context of a window's paint cycle: BeginPaint and EndPaint.
class CPaintDC : public CDC {
public:
    // printTarget: the context of a WM_PRINTCLIENT, painted instead of the
    // window's invalid area, so the window can be printed as it draws itself.
    explicit CPaintDC(CWnd* wnd, HDC printTarget = nullptr);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
    bool m_printing = false;
};

// The context a paint handler draws into: WM_PRINTCLIENT's, or none for WM_PAINT.
inline HDC PrintTarget(UINT msg, WPARAM wParam)
{
    return msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : nullptr;
}

// A window's client-area context.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// A context over the whole window, frame included.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

private:
    HWND m_hWnd;
};

// A context the caller owns and releases (a WM_PRINT target, say): drawn
// on, never deleted, even when painting throws.
class CBorrowedDC : public CDC {
public:
    explicit CBorrowedDC(HDC dc) { m_hDC = dc; }
    ~CBorrowedDC() override { m_hDC = nullptr; }
};
