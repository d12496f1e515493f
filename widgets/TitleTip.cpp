#include "widgets/TitleTip.h"

#include "DC.h"
#include "ResourceException.h"
#include "widgets/Select.h"

#include <algorithm>

namespace {

const wchar_t kClassName[] = L"ZTitleTip";

// The drawing format of the tip's text.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP | DT_EDITCONTROL;

} // namespace

CTitleTip::CTitleTip()
{
    WNDCLASSW existing{};
    if (::GetClassInfoW(AfxGetInstanceHandle(), kClassName, &existing))
        return;
    WNDCLASSW windowClass{};
    windowClass.style = CS_SAVEBITS;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = AfxGetInstanceHandle();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassW(&windowClass))
        AfxThrowResourceException();
}

BOOL CTitleTip::Create(CWnd* parent)
{
    m_parent = parent;
    return CreateEx(WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP | WS_BORDER,
                    CRect(CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT), nullptr, 0);
}

void CTitleTip::selectFont(CSelFont& font) const
{
    if (m_withFont)
        font.Select(m_font);
    else
        font.Select(m_parent->GetFont());
}

void CTitleTip::Show(const CRect& item, const CString& text, int textOffset, int maxCharacters,
                     const CRect* hover, const LOGFONTW* font)
{
    if (!::IsWindow(m_hWnd) || item.IsRectEmpty() || IsWindowVisible())
        return;
    m_hoverRect = hover ? *hover : item;
    ++m_hoverRect.right;
    ++m_hoverRect.bottom;
    ::MapWindowPoints(m_parent->GetSafeHwnd(), m_hWnd, reinterpret_cast<POINT*>(&m_hoverRect), 2);
    if (!::GetFocus())
        return;

    m_text = L" " + text + L" ";
    m_withFont = font != nullptr;
    if (font)
        m_font = *font;
    CClientDC dc(this);
    CSelFont selected(&dc);
    selectFont(selected);
    TEXTMETRICW metrics{};
    dc.GetTextMetrics(&metrics);
    const CSize extent = dc.GetTextExtent(m_text);

    CRect tip = item;
    ::MapWindowPoints(m_parent->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&tip), 2);
    tip.left += textOffset - 1;
    tip.top += 2;
    tip.right = tip.left + extent.cx + metrics.tmOverhang + textOffset;
    tip.bottom = tip.top + extent.cy;
    if (maxCharacters > 0)
        tip.right = std::min<LONG>(tip.right, tip.left + maxCharacters * metrics.tmAveCharWidth);

    CRect parentArea;
    m_parent->GetClientRect(&parentArea);
    ::MapWindowPoints(m_parent->GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&parentArea), 2);
    const int screenRight = ::GetSystemMetrics(SM_CXSCREEN) - 8;
    const int screenBottom = ::GetSystemMetrics(SM_CYSCREEN) - 8;
    if (tip.right > screenRight) {
        const int shift = std::min<int>(tip.right - screenRight, tip.left - parentArea.left);
        tip.OffsetRect(-std::max(0, shift), 0);
        tip.right = std::min<LONG>(tip.right, screenRight);
    }
    if (tip.left < parentArea.left)
        tip.OffsetRect(parentArea.left - tip.left, 0);

    CRect wrapped = tip;
    const int height = dc.DrawText(m_text, &wrapped, kTextFormat | DT_CALCRECT);
    tip.OffsetRect(0, height * 3 / 2);
    tip.bottom = std::min<LONG>(tip.top + height, screenBottom);

    // The border comes on top of the text's height.
    const int border = 2 * ::GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(HWND_TOP, tip.left - 3, tip.top - 1, tip.Width() + 3, tip.Height() + border,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    // Moves away from the tip must reach it to close it.
    SetCapture();
}

void CTitleTip::Hide()
{
    if (!::IsWindow(m_hWnd))
        return;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    ShowWindow(SW_HIDE);
}

HWND CTitleTip::windowUnder(POINT screen) const
{
    HWND target = ::WindowFromPoint(screen);
    return !target || target == m_hWnd ? m_parent->GetSafeHwnd() : target;
}

void CTitleTip::onMouseMove(WPARAM flags, CPoint point)
{
    if (m_hoverRect.PtInRect(point))
        return;
    Hide();
    POINT screen = point;
    ClientToScreen(&screen);
    HWND target = windowUnder(screen);
    const LRESULT hit = ::SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    if (hit == HTCLIENT) {
        POINT client = screen;
        ::ScreenToClient(target, &client);
        ::PostMessageW(target, WM_MOUSEMOVE, flags, MAKELPARAM(client.x, client.y));
    } else {
        ::PostMessageW(target, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit),
                       MAKELPARAM(screen.x, screen.y));
    }
}

BOOL CTitleTip::PreTranslateMessage(MSG* msg)
{
    // A hidden tip lets everything pass.
    if (!::IsWindow(m_hWnd) || !IsWindowVisible())
        return FALSE;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Hide();
        m_parent->PostMessage(msg->message, msg->wParam, msg->lParam);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        HWND target = windowUnder(msg->pt);
        const LRESULT hit =
            ::SendMessageW(target, WM_NCHITTEST, 0, MAKELPARAM(msg->pt.x, msg->pt.y));
        UINT message = msg->message;
        WPARAM wParam = msg->wParam;
        POINT point = msg->pt;
        if (hit == HTCLIENT) {
            ::ScreenToClient(target, &point);
        } else {
            message = message == WM_LBUTTONDOWN   ? WM_NCLBUTTONDOWN
                      : message == WM_RBUTTONDOWN ? WM_NCRBUTTONDOWN
                                                  : WM_NCMBUTTONDOWN;
            wParam = static_cast<WPARAM>(hit);
        }
        Hide();
        ::PostMessageW(target, message, wParam, MAKELPARAM(point.x, point.y));
        return TRUE;
    }
    }
    if (::GetFocus())
        return CWnd::PreTranslateMessage(msg);
    Hide();
    return TRUE;
}

LRESULT CTitleTip::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        onMouseMove(wParam, CPoint(lParam));
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        CPaintDC dc(this, PrintTarget(msg, wParam));
        CSelFont font(&dc);
        selectFont(font);
        CSelBkMode mode(&dc, TRANSPARENT);
        CRect client;
        GetClientRect(&client);
        dc.DrawText(m_text, &client, kTextFormat);
        return 0;
    }
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
