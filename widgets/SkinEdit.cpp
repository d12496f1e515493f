#include "widgets/SkinEdit.h"

#include "DC.h"
#include "Dpi.h"
#include "widgets/Select.h"

namespace {

enum FoundValue : unsigned {
    FOUND_POSITION = 1,
    FOUND_OTHER = 2,
};

// Command notifications after which the transparent text is drawn again.
bool repaintsText(WORD code)
{
    switch (code) {
    case EN_SETFOCUS:
    case EN_KILLFOCUS:
    case EN_CHANGE:
    case EN_UPDATE:
    case EN_ERRSPACE:
    case EN_MAXTEXT:
    case EN_HSCROLL:
    case EN_VSCROLL:
        return true;
    default:
        return false;
    }
}

// 8 x 8, one bit a pixel, rows padded to 16 bits: seven rows set, the last clear.
const BYTE kBackgroundPattern[16] = {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0,
                                     0xFF, 0, 0xFF, 0, 0xFF, 0, 0x00, 0};

} // namespace

HBRUSH CSkinEdit::ColourBrush::get(COLORREF wanted)
{
    if (!brush.GetSafeHandle() || colour != wanted) {
        brush.CreateSolidBrush(wanted);
        colour = wanted;
    }
    return brush;
}

bool CSkinEdit::LoadSkin(ISkinParser* parser, const CString& section)
{
    if (!parser->selectSection(section))
        return false;
    m_leftMargin = -1;
    m_rightMargin = -1;
    // Every skin says afresh whether it shows the edit.
    m_notUsed = false;
    m_visible = true;
    parser->getBool(L"not_used", m_notUsed);
    if (m_notUsed) {
        m_visible = false;
        if (GetSafeHwnd())
            ShowWindow(SW_HIDE);
        return true;
    }

    unsigned found = 0;
    auto note = [&found](bool wasFound, unsigned bit) {
        if (wasFound)
            found |= bit;
    };
    POINT offset = m_offset, anchor = m_anchor;
    note(parser->getPosition(L"position", offset, anchor), FOUND_POSITION);
    m_offset = offset;
    m_anchor = anchor;
    SIZE size = m_size;
    note(parser->getSize(L"size", size), FOUND_OTHER);
    m_size = size;
    note(parser->getFont(L"font", m_font), FOUND_OTHER);
    const std::pair<const wchar_t*, COLORREF CSkinEdit::*> colours[] = {
        {L"color_normal_text", &CSkinEdit::m_normalText},
        {L"color_normal_bk", &CSkinEdit::m_normalBackground},
        {L"color_deact_text", &CSkinEdit::m_disabledText},
        {L"color_deact_bk", &CSkinEdit::m_disabledBackground},
        {L"color_focus_text", &CSkinEdit::m_focusText},
        {L"color_focus_bk", &CSkinEdit::m_focusBackground},
        {L"color_ext_top_left", &CSkinEdit::m_outerTopLeft},
        {L"color_int_top_left", &CSkinEdit::m_innerTopLeft},
        {L"color_ext_bottom_right", &CSkinEdit::m_outerBottomRight},
        {L"color_int_bottom_right", &CSkinEdit::m_innerBottomRight}};
    for (const auto& [key, colour] : colours)
        note(parser->getColor(key, this->*colour), FOUND_OTHER);
    note(parser->getBitmap(L"bitmap_bg", m_backgroundBitmap), FOUND_OTHER);
    note(parser->getBool(L"use_bitmap_bg", m_useBackgroundBitmap), FOUND_OTHER);
    note(parser->getBool(L"visible", m_visible), FOUND_OTHER);
    note(parser->getInt(L"left_margin", m_leftMargin), FOUND_OTHER);
    note(parser->getInt(L"right_margin", m_rightMargin), FOUND_OTHER);
    note(parser->getText(L"resize_behavior", m_resizeBehavior), FOUND_OTHER);

    if (!m_font.GetSafeHandle())
        m_font.Attach(::GetStockObject(DEFAULT_GUI_FONT));
    if (m_useBackgroundBitmap && !m_backgroundBitmap.GetSafeHandle())
        m_backgroundBitmap.CreateBitmap(8, 8, 1, 1, kBackgroundPattern);
    ApplySkin();
    return found >= FOUND_OTHER;
}

bool CSkinEdit::ApplySkin()
{
    if (!::IsWindow(GetSafeHwnd()))
        return false;
    CRect parent;
    ::GetClientRect(::GetParent(m_hWnd), &parent);
    MoveWindow(parent.Width() * m_anchor.x / 100 + m_offset.x,
               parent.Height() * m_anchor.y / 100 + m_offset.y, m_size.cx, m_size.cy, TRUE);
    SetFont(&m_font, TRUE);
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    ShowWindow(m_visible ? SW_SHOW : SW_HIDE);
    Invalidate();
    UpdateWindow();
    return true;
}

void CSkinEdit::showCtrl(bool show)
{
    ShowWindow(show ? SW_SHOWNORMAL : SW_HIDE);
}

HDWP CSkinEdit::setPositionAndSize(int x, int y, int cx, int cy, HDWP defer)
{
    m_offset = CPoint(x, y);
    m_size = CSize(cx, cy);
    return reposition(defer, true, nullptr, false);
}

HDWP CSkinEdit::setPosition(int x, int y, HDWP defer)
{
    m_offset = CPoint(x, y);
    return reposition(defer, false, nullptr, false);
}

HDWP CSkinEdit::reposition(HDWP defer, bool withSize, const CRect* parent, bool addOrigin)
{
    CRect area;
    if (parent)
        area = *parent;
    else
        ::GetClientRect(::GetParent(m_hWnd), &area);
    int x = m_offset.x < 0 ? area.Width() + m_offset.x : m_offset.x;
    int y = m_offset.y < 0 ? area.Height() + m_offset.y : m_offset.y;
    if (addOrigin) {
        x += area.left;
        y += area.top;
    }
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (withSize ? 0 : SWP_NOSIZE);
    if (defer)
        return ::DeferWindowPos(defer, m_hWnd, nullptr, x, y, m_size.cx, m_size.cy, flags);
    SetWindowPos(nullptr, x, y, m_size.cx, m_size.cy, flags);
    return nullptr;
}

bool CSkinEdit::hasBackgroundBitmap() const
{
    return m_useBackgroundBitmap && m_backgroundBitmap.GetSafeHandle();
}

void CSkinEdit::calculateClientArea(RECT* rect)
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CSelFont font(&dc, GetFont());
    const int textHeight = dc.GetTextExtent(L"Ky").cy;
    const int inset = (rect->bottom - rect->top - textHeight) / 2;
    rect->top += inset;
    rect->bottom -= inset;
    if (m_leftMargin > 0)
        rect->left += m_leftMargin;
    if (m_rightMargin > 0)
        rect->right -= m_rightMargin;
}

void CSkinEdit::paintFrame(CDC& dc)
{
    if (m_leftMargin >= 0 || m_rightMargin >= 0)
        SetMargins(0, 0);
    CRect window;
    GetWindowRect(&window);
    window.OffsetRect(-window.left, -window.top);
    if (!hasBackgroundBitmap()) {
        dc.Draw3dRect(window, m_outerTopLeft, m_outerBottomRight);
        window.DeflateRect(1, 1);
        dc.Draw3dRect(window, m_innerTopLeft, m_innerBottomRight);
        return;
    }
    CDC bitmapDc;
    bitmapDc.CreateCompatibleDC(&dc);
    HGDIOBJ previous = SelectGdiObject(bitmapDc, &m_backgroundBitmap);
    dc.BitBlt(0, 0, window.Width(), window.Height(), &bitmapDc, 0, 0, SRCCOPY);
    bitmapDc.SelectObject(previous);

    // The client area's share of the picture becomes its background brush.
    CRect client;
    GetClientRect(&client);
    CDC clientDc;
    clientDc.CreateCompatibleDC(&dc);
    CBitmap part;
    part.CreateCompatibleBitmap(dc, client.Width(), client.Height());
    previous = SelectGdiObject(clientDc, &part);
    clientDc.BitBlt(0, 0, client.Width(), client.Height(), &dc, m_leftMargin > 0 ? m_leftMargin : 0,
                    (window.Height() - client.Height()) / 2, SRCCOPY);
    clientDc.SelectObject(previous);
    m_clientBrush.CreatePatternBrush(&part);
}

// The edit control prints its client area only; the skin's frame is ours.
void CSkinEdit::print(HDC target, LPARAM flags)
{
    if (flags & PRF_NONCLIENT) {
        CBorrowedDC dc(target);
        paintFrame(dc);
    }
    if (!(flags & PRF_CLIENT))
        return;
    CRect window;
    GetWindowRect(&window);
    CPoint client(0, 0);
    ClientToScreen(&client);
    POINT origin{};
    ::OffsetViewportOrgEx(target, client.x - window.left, client.y - window.top, &origin);
    if (flags & PRF_ERASEBKGND)
        SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0);
    SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target), flags);
    ::SetViewportOrgEx(target, origin.x, origin.y, nullptr);
}

HBRUSH CSkinEdit::controlColour(HDC dc)
{
    const bool disabled = !IsWindowEnabled();
    const bool focused = ::GetFocus() == m_hWnd;
    ::SetTextColor(dc, disabled ? m_disabledText : focused ? m_focusText : m_normalText);
    ::SetBkMode(dc, TRANSPARENT);
    if (hasBackgroundBitmap())
        return m_clientBrush;
    if (disabled)
        return m_disabledBrush.get(m_disabledBackground);
    if (focused)
        return m_focusBrush.get(m_focusBackground);
    return m_normalBrush.get(m_normalBackground);
}

BOOL CSkinEdit::OnChildNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) {
        *result = reinterpret_cast<LRESULT>(controlColour(reinterpret_cast<HDC>(wParam)));
        return TRUE;
    }
    if (msg == WM_COMMAND && repaintsText(HIWORD(wParam)))
        Invalidate();
    // The parent handles its notifications as well.
    return FALSE;
}

void CSkinEdit::onMouseMove(CPoint point)
{
    if (!m_showTitleTip)
        return;
    if (!m_titleTip.GetSafeHwnd())
        m_titleTip.Create(this);
    if (point == m_lastMouse)
        return;
    m_titleTip.Hide();
    CRect client;
    GetClientRect(&client);
    if (client.PtInRect(point)) {
        SetTimer(kTitleTipTimer, 1000);
        m_lastMouse = point;
    }
}

void CSkinEdit::onTitleTipTimer()
{
    const CString text = GetWindowText();
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    CRect client;
    GetClientRect(&client);
    KillTimer(kTitleTipTimer);
    const UINT dpi = WindowDpi(m_hWnd);
    if (!text.IsEmpty() && client.PtInRect(cursor))
        m_titleTip.Show(CRect(cursor, CSize(ScaledToDpi(80, dpi), ScaledToDpi(26, dpi))), text);
}

BOOL CSkinEdit::PreTranslateMessage(MSG* msg)
{
    if (m_titleTip.GetSafeHwnd() && m_titleTip.PreTranslateMessage(msg))
        return TRUE;
    return CEdit::PreTranslateMessage(msg);
}

LRESULT CSkinEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCALCSIZE:
        calculateClientArea(wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                   : reinterpret_cast<RECT*>(lParam));
        return 0;
    case WM_NCPAINT: {
        CWindowDC dc(this);
        paintFrame(dc);
        return 0;
    }
    case WM_PRINT:
        print(reinterpret_cast<HDC>(wParam), lParam);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(CPoint(lParam));
        break;
    case WM_TIMER:
        if (wParam != kTitleTipTimer)
            break;
        onTitleTipTimer();
        return 0;
    case WM_GETOBJECT:
        if (const LRESULT answer = m_accessible.answer(m_hWnd, wParam, lParam))
            return answer;
        break;
    }
    return CEdit::WindowProc(msg, wParam, lParam);
}

void CSkinEdit::describe(long, AccessibleFacts& facts) const
{
    facts.name.LoadString(m_accessibleNameId);
    facts.role = ROLE_SYSTEM_TEXT;
    facts.value = GetWindowText();
}
