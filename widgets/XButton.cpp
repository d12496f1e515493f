#include "widgets/XButton.h"

#include "Dpi.h"
#include "ToolTipCtrl.h"
#include "widgets/BitmapDrawing.h"
#include "widgets/MemDC.h"
#include "widgets/Select.h"

#include <cstdlib>

BOOL CXButton::create(DWORD style, const RECT& rect, CWnd* parent, UINT id, UINT tooltipId)
{
    const BOOL created = Create(L"", style | SS_NOTIFY | WS_TABSTOP, rect, parent, id);
    ShowWindow(SW_SHOW);
    if (tooltipId)
        m_tooltipId = tooltipId;
    EnableToolTips(TRUE);
    return created;
}

void CXButton::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY | WS_TABSTOP);
    EnableToolTips(TRUE);
}

bool CXButton::load(ISkinParser& parser, const CString& section, int kind)
{
    if (kind < XBUTTON_PUSH || kind > XBUTTON_INDICATOR)
        return false;
    m_kind = kind;
    if (!m_cfg.load(parser, section, -1, kind))
        return false;
    parser.getAnchor(L"anchor", m_anchor[0], m_anchor[1], m_anchor[2], m_anchor[3]);
    return applyConfiguration();
}

bool CXButton::applyConfiguration()
{
    if (!::IsWindow(GetSafeHwnd()))
        return false;
    const bool visible = m_cfg.used && !m_cfg.notUsed;
    ShowWindow(visible ? SW_SHOW : SW_HIDE);
    SetWindowPos(nullptr, 0, 0, visible ? m_cfg.size.cx : 0, visible ? m_cfg.size.cy : 0,
                 SWP_NOMOVE | SWP_NOZORDER);
    Invalidate();
    if (!m_cfg.place(this))
        return false;
    Invalidate();
    GetClientRect(&m_cfg.clientRect);
    CRgn region;
    region.Attach(::CreateRectRgn(0, 0, 0, 0));
    const int shape = GetWindowRgn(region);
    if (shape == SIMPLEREGION || shape == COMPLEXREGION)
        SetWindowRgn(nullptr, TRUE);
    updateTabStop();
    return true;
}

// Tab reaches only what a click could press.
void CXButton::updateTabStop()
{
    const bool pressable =
        m_cfg.used && m_cfg.enabled && m_kind != XBUTTON_LABEL && m_kind != XBUTTON_INDICATOR;
    ModifyStyle(pressable ? 0 : WS_TABSTOP, pressable ? WS_TABSTOP : 0);
}

void CXButton::setTooltip(UINT id, UINT idOn)
{
    m_tooltipId = id;
    m_tooltipIdOn = idOn;
}

void CXButton::setEnabled(bool enabled)
{
    const bool changed = m_cfg.enabled != enabled;
    m_cfg.enabled = enabled;
    if (!GetSafeHwnd())
        return;
    Invalidate();
    if (changed) {
        updateTabStop();
        CAccessible::raise(m_hWnd, EVENT_OBJECT_STATECHANGE);
    }
}

bool CXButton::clearMouseOver()
{
    if (m_cfg.cursor)
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    if (m_kind == XBUTTON_LABEL || m_kind == XBUTTON_INDICATOR)
        return false;
    m_mouseOver = false;
    tellPointerLeft();
    Invalidate();
    return true;
}

void CXButton::drawExtra(CDC* dc)
{
    SendMessage(WM_XBUTTON_DRAW_EXTRA, reinterpret_cast<WPARAM>(dc->GetSafeHdc()));
}

CXButton::Face CXButton::chooseFace()
{
    const CXButtonCfg& c = m_cfg;
    const bool showMouseOver = m_mouseOver && c.mouseOverEnabled;
    switch (m_kind) {
    case XBUTTON_PUSH:
        if (!c.enabled)
            return {&bitmapDisabled(), c.colourDisabled};
        if ((m_pressed && m_mouseOver) || m_keyPressed)
            return {&bitmapDown(), c.colourDown};
        if (showMouseOver)
            return {&bitmapMouseOver(), c.colourMouseOver};
        return {&bitmapUp(), c.colourUp};
    case XBUTTON_TOGGLE:
    case XBUTTON_TOGGLE_CAPTIONS:
        if (!c.enabled)
            return c.on ? Face{&bitmapOnDisabled(), c.colourDisabled}
                        : Face{&bitmapDisabled(), c.colourOffDisabled};
        if (m_pressed && c.on)
            return showMouseOver ? Face{&bitmapOnDown(), c.colourDownPressed}
                                 : Face{&bitmapOnUp(), c.colourUp};
        if (m_pressed)
            return showMouseOver ? Face{&bitmapDown(), c.colourUpPressed}
                                 : Face{&bitmapUp(), c.colourDown};
        if (c.on)
            return showMouseOver ? Face{&bitmapOnMouseOver(), c.colourDownMouseOver}
                                 : Face{&bitmapOnUp(), c.colourDown};
        return showMouseOver ? Face{&bitmapMouseOver(), c.colourMouseOver}
                             : Face{&bitmapUp(), c.colourUp};
    case XBUTTON_LABEL:
        return {&bitmapUp(), c.enabled ? c.colourUp : c.colourDisabled};
    default:
        return c.on ? Face{&bitmapOnUp(), c.colourDown} : Face{&bitmapUp(), c.colourUp};
    }
}

void CXButton::paint(HDC printTarget)
{
    CPaintDC dc(this, printTarget);
    if (!m_cfg.used)
        return;
    CRect client;
    GetClientRect(&client);
    CMemDC memory(&dc, &client);
    const Face face = chooseFace();
    if (face.bitmap->GetSafeHandle()) {
        const CRect source(CPoint(0, 0), m_cfg.size);
        DrawBitmap(&memory, face.bitmap, &client, &source);
    }
    const bool toggles = m_kind == XBUTTON_TOGGLE || m_kind == XBUTTON_TOGGLE_CAPTIONS;
    const CString& caption = toggles && m_cfg.on ? m_cfg.captionDown : m_cfg.caption;
    if (!caption.IsEmpty()) {
        CSelFont font(&memory, static_cast<HFONT>(m_cfg.font));
        CSelBkMode mode(&memory, TRANSPARENT);
        CSelTextColor colour(&memory, face.textColour);
        CRect area = client;
        m_cfg.ApplyMargins(area);
        const UINT flags = m_cfg.horizontalAlignment | m_cfg.verticalAlignment | DT_WORD_ELLIPSIS |
                           (m_cfg.multiline ? DT_WORDBREAK : DT_SINGLELINE);
        memory.DrawText(caption, &area, flags);
    }
    drawExtra(&memory);
    if (::GetFocus() == m_hWnd && !m_focusByMouse)
        DrawFocusRing(memory, client, m_cfg.colourFocus, ScaledToDpi(2, WindowDpi(m_hWnd)));
}

void CXButton::notifyParent(WORD code)
{
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

void CXButton::click()
{
    notifyParent(XBN_CLICKED);
}

void CXButton::setSkinCursor() const
{
    if (m_cfg.cursor)
        ::SetCursor(m_cfg.cursor);
}

void CXButton::tellPointerLeft()
{
    for (IXActionListener* listener : m_listeners)
        listener->pointerLeft(GetDlgCtrlID());
}

void CXButton::onButtonDown()
{
    if (!m_cfg.used || !m_cfg.enabled || m_kind == XBUTTON_INDICATOR)
        return;
    m_pressed = true;
    m_focusByMouse = true;
    SetFocus();
    SetCapture();
    Invalidate();
    notifyParent(XBN_PRESSED);
}

void CXButton::onButtonUp(CPoint point)
{
    if (!m_cfg.used)
        return;
    if (!m_pressed && (!m_cfg.enabled || m_kind == XBUTTON_INDICATOR))
        return;
    // A button disabled while it was held does not click either.
    const bool clicked = m_pressed && m_cfg.enabled && m_cfg.clientRect.PtInRect(point);
    if (clicked)
        flip();
    m_pressed = false;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Invalidate();
    if (clicked)
        click();
    notifyParent(XBN_RELEASED);
}

void CXButton::onSpace(bool down)
{
    // The keyboard clicks only what the mouse could click.
    if (!m_cfg.used || !m_cfg.enabled || m_kind == XBUTTON_INDICATOR)
        return;
    if (down) {
        m_keyPressed = true;
        SetCapture();
        Invalidate();
        return;
    }
    if (!m_keyPressed)
        return;
    m_keyPressed = false;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    press();
}

void CXButton::onEnter(LPARAM keyFlags)
{
    constexpr LPARAM repeated = 1 << 30;
    if ((keyFlags & repeated) || !m_cfg.used || !m_cfg.enabled || m_kind == XBUTTON_INDICATOR)
        return;
    press();
}

void CXButton::press()
{
    flip();
    Invalidate();
    click();
}

void CXButton::flip()
{
    m_cfg.on = !m_cfg.on;
    if (m_kind == XBUTTON_TOGGLE || m_kind == XBUTTON_TOGGLE_CAPTIONS)
        CAccessible::raise(m_hWnd, EVENT_OBJECT_STATECHANGE);
}

void CXButton::onMouseMove(WPARAM flags, LPARAM position)
{
    if (m_cfg.mouseOverEnabled && !m_mouseOver) {
        m_mouseOver = true;
        for (IXActionListener* listener : m_listeners)
            listener->pointerEntered(GetDlgCtrlID());
        TRACKMOUSEEVENT tracking{sizeof tracking, TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tracking);
        Invalidate();
    }
    setSkinCursor();
    MSG msg{m_hWnd, WM_MOUSEMOVE, flags, position, static_cast<DWORD>(::GetMessageTime()), CPoint(position)};
    ClientToScreen(&msg.pt);
    PreTranslateMessage(&msg);
}

void CXButton::resetMouseState()
{
    m_mouseOver = false;
    m_pressed = false;
    m_keyPressed = false;
    tellPointerLeft();
    Invalidate();
    setSkinCursor();
}

LRESULT CXButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        paint(PrintTarget(msg, wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onButtonDown();
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(CPoint(lParam));
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (m_focusByMouse) {
            m_focusByMouse = false;
            Invalidate();
        }
        if (wParam == VK_RETURN && msg == WM_KEYDOWN) {
            onEnter(lParam);
            return 0;
        }
        if (wParam != VK_SPACE)
            break;
        onSpace(msg == WM_KEYDOWN);
        return 0;
    case WM_GETDLGCODE: {
        // Enter presses the focused button instead of the dialog's default.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE;
        break;
    }
    case WM_SETFOCUS:
        Invalidate();
        break;
    case WM_KILLFOCUS:
        m_focusByMouse = false;
        Invalidate();
        break;
    case WM_GETOBJECT:
        if (const LRESULT answer = m_accessible.answer(m_hWnd, wParam, lParam))
            return answer;
        break;
    case WM_MOUSEMOVE:
        onMouseMove(wParam, lParam);
        return 0;
    case WM_MOUSELEAVE:
        resetMouseState();
        return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        resetMouseState();
        break;
    case WM_RBUTTONDOWN:
        notifyParent(XBN_RIGHT_PRESSED);
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT)
            break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
    case WM_SIZE: {
        const LRESULT result = CStatic::WindowProc(msg, wParam, lParam);
        GetClientRect(&m_cfg.clientRect);
        return result;
    }
    }
    return CStatic::WindowProc(msg, wParam, lParam);
}

INT_PTR CXButton::OnToolHitTest(CPoint point, TOOLINFOW* info) const
{
    CRect client;
    GetClientRect(&client);
    if (!m_cfg.used || !client.PtInRect(point))
        return CStatic::OnToolHitTest(point, info);
    if (CToolTipCtrl* toolTip = AfxGetThreadToolTip()) {
        toolTip->SetMaxTipWidth(1000);
        toolTip->ModifyStyle(0, TTS_NOPREFIX);
    }
    const UINT id = static_cast<UINT>(GetDlgCtrlID());
    CString text;
    for (UINT candidate : {m_cfg.on ? m_tooltipIdOn : 0u, m_tooltipId, id})
        if (candidate && text.LoadString(candidate) && !text.IsEmpty())
            break;
    CString key;
    if (m_keyTextId && key.LoadString(m_keyTextId))
        text += L" (" + key + L")";
    auto* buffer = static_cast<wchar_t*>(std::malloc(kTooltipCapacity * sizeof(wchar_t)));
    ::lstrcpynW(buffer, text, kTooltipCapacity);
    const INT_PTR hit = id + (m_cfg.on ? 1 : 0);
    info->hwnd = m_hWnd;
    info->uId = static_cast<UINT_PTR>(hit);
    info->rect = client;
    info->lpszText = buffer;
    return hit;
}

void CXButton::describe(long, AccessibleFacts& facts) const
{
    // The name stays the off state's text, so a toggle keeps its name while
    // its state says whether it is on.
    if (!facts.name.LoadString(m_tooltipId) || facts.name.IsEmpty())
        facts.name = m_cfg.caption;
    facts.shortcut.LoadString(m_keyTextId);
    switch (m_kind) {
    case XBUTTON_PUSH:
        facts.role = ROLE_SYSTEM_PUSHBUTTON;
        if (m_keyPressed || (m_pressed && m_mouseOver))
            facts.state |= STATE_SYSTEM_PRESSED;
        break;
    case XBUTTON_TOGGLE:
    case XBUTTON_TOGGLE_CAPTIONS:
        facts.role = ROLE_SYSTEM_CHECKBUTTON;
        if (m_cfg.on)
            facts.state |= STATE_SYSTEM_CHECKED | STATE_SYSTEM_PRESSED;
        break;
    default:
        facts.role = ROLE_SYSTEM_STATICTEXT;
        facts.state = (facts.state & ~STATE_SYSTEM_FOCUSABLE) | STATE_SYSTEM_READONLY;
        return;
    }
    if (!m_cfg.enabled)
        facts.state = (facts.state & ~STATE_SYSTEM_FOCUSABLE) | STATE_SYSTEM_UNAVAILABLE;
    else
        facts.state |= STATE_SYSTEM_FOCUSABLE;
}
