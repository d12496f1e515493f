#include "widgets/Select.h"

HGDIOBJ SelectGdiObject(HDC dc, const CGdiObject* object)
{
    if (!object || !object->GetSafeHandle())
        return nullptr;
    return ::SelectObject(dc, object->GetSafeHandle());
}

CSelFont::~CSelFont()
{
    if (m_previous)
        m_dc->SelectObject(m_previous);
}

void CSelFont::remember(HGDIOBJ displaced)
{
    if (!m_previous)
        m_previous = displaced;
}

void CSelFont::Select(const LOGFONTW& description)
{
    CMyFont font;
    if (!font.Create(description))
        return;
    remember(SelectGdiObject(*m_dc, &font));
    // The font selected before is no longer in the context and may go.
    m_font.Attach(font.Detach());
}

void CSelFont::Select(HFONT font)
{
    if (!font)
        return;
    remember(m_dc->SelectObject(font));
    m_font.DeleteObject();
}

CSelBkMode::~CSelBkMode()
{
    if (m_previous)
        m_dc->SetBkMode(m_previous);
}

void CSelBkMode::Select(int mode)
{
    const int replaced = m_dc->SetBkMode(mode);
    if (!m_previous)
        m_previous = replaced;
}

CSelTextColor::~CSelTextColor()
{
    if (m_previous != CLR_INVALID)
        m_dc->SetTextColor(m_previous);
}

void CSelTextColor::Select(COLORREF colour)
{
    const COLORREF replaced = m_dc->SetTextColor(colour);
    if (m_previous == CLR_INVALID)
        m_previous = replaced;
}

CSelTextAlign::~CSelTextAlign()
{
    if (m_previous != GDI_ERROR)
        m_dc->SetTextAlign(m_previous);
}

void CSelTextAlign::Select(UINT alignment)
{
    const UINT replaced = m_dc->SetTextAlign(alignment);
    if (m_previous == GDI_ERROR)
        m_previous = replaced;
}
