#include "DC.h"

#include "Wnd.h"

CDC::~CDC()
{
    if (m_hDC)
        DeleteDC();
}

BOOL CDC::Attach(HDC dc)
{
    DeleteDC();
    m_hDC = dc;
    return dc != nullptr;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(const CDC* dc)
{
    return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT previous{};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CSize CDC::GetTextExtent(const CString& text) const
{
    SIZE size{};
    ::GetTextExtentPoint32W(m_hDC, text, text.GetLength(), &size);
    return size;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour)
{
    // An opaque ExtTextOut without text fills with the background colour and
    // needs no brush.
    const COLORREF previous = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

void CDC::Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    FillSolidRect(CRect(rect.left, rect.top, rect.left + width - 1, rect.top + 1), topLeft);
    FillSolidRect(CRect(rect.left, rect.top, rect.left + 1, rect.top + height - 1), topLeft);
    FillSolidRect(CRect(rect.right - 1, rect.top, rect.right, rect.bottom), bottomRight);
    FillSolidRect(CRect(rect.left, rect.bottom - 1, rect.right, rect.bottom), bottomRight);
}

CPaintDC::CPaintDC(CWnd* wnd, HDC printTarget) : m_hWnd(wnd->GetSafeHwnd())
{
    if (!printTarget) {
        Attach(::BeginPaint(m_hWnd, &m_ps));
        return;
    }
    m_printing = true;
    m_ps.hdc = printTarget;
    ::GetClientRect(m_hWnd, &m_ps.rcPaint);
    Attach(printTarget);
}

CPaintDC::~CPaintDC()
{
    if (!m_printing)
        ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd())
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd())
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
