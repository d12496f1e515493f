#include "Wnd.h"

#include "DataExchange.h"
#include "ModuleState.h"
#include "SkinObjects.h"
#include "ToolTipCtrl.h"
#include "WinApp.h"

#include <cstdlib>

namespace {

const wchar_t objectProperty[] = L"Tarvisk.CWnd";

thread_local CWnd* windowBeingCreated = nullptr;
thread_local HHOOK creationHook = nullptr;

// The tool the thread's tooltip control describes at the moment.
struct ShownTool {
    HWND hwnd = nullptr;
    INT_PTR id = -1;
};
thread_local ShownTool shownTool;

bool isToolTipMouseMessage(UINT msg)
{
    return msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE ||
           (msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK) ||
           (msg >= WM_NCLBUTTONDOWN && msg <= WM_NCMBUTTONDBLCLK);
}

} // namespace

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd)
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    // The window's messages run in the module that made it, whoever pumps them.
    AFX_MANAGE_STATE(wnd->m_moduleState);
    LRESULT result = wnd->WindowProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        wnd->detach();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK afxCreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && windowBeingCreated) {
        CWnd* wnd = windowBeingCreated;
        windowBeingCreated = nullptr;
        wnd->attach(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(creationHook, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* wnd)
{
    windowBeingCreated = wnd;
    if (!creationHook)
        creationHook = ::SetWindowsHookExW(WH_CBT, afxCreationHook, nullptr, ::GetCurrentThreadId());
}

void AfxUnhookWindowCreate()
{
    windowBeingCreated = nullptr;
    if (creationHook) {
        ::UnhookWindowsHookEx(creationHook);
        creationHook = nullptr;
    }
}

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (m_hWnd)
        detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, objectProperty)) : nullptr;
}

void CWnd::attach(HWND hwnd)
{
    m_hWnd = hwnd;
    m_moduleState = AfxGetModuleState();
    ::SetPropW(hwnd, objectProperty, this);
    m_originalProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
}

void CWnd::detach()
{
    if (::IsWindow(m_hWnd)) {
        if (m_originalProc)
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_originalProc));
        ::RemovePropW(m_hWnd, objectProperty);
    }
    m_originalProc = nullptr;
    m_hWnd = nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id)
{
    AfxHookWindowCreate(this);
    HWND hwnd = ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top,
                                  parent ? parent->GetSafeHwnd() : nullptr,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  AfxGetInstanceHandle(), nullptr);
    AfxUnhookWindowCreate();
    return hwnd != nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd))
        return FALSE;
    attach(hwnd);
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    return SubclassWindow(::GetDlgItem(parent->GetSafeHwnd(), static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    detach();
    return hwnd;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG* msg)
{
    if (m_toolTipsEnabled)
        FilterToolTipMessage(msg);
    return FALSE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add)
{
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, changed);
    return TRUE;
}

void CWnd::SetFont(const CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr), redraw);
}

CString AfxGetWindowText(HWND hwnd)
{
    const int length = ::GetWindowTextLengthW(hwnd);
    CString text;
    const int copied = ::GetWindowTextW(hwnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer(copied);
    return text;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CWnd::EnableToolTips(BOOL enable)
{
    const BOOL previous = m_toolTipsEnabled;
    m_toolTipsEnabled = enable;
    return previous;
}

INT_PTR CWnd::OnToolHitTest(CPoint, TOOLINFOW*) const { return -1; }

void CWnd::FilterToolTipMessage(MSG* msg)
{
    if (!isToolTipMouseMessage(msg->message))
        return;
    CToolTipCtrl* toolTip = AfxGetThreadToolTip();
    if (!toolTip)
        return;
    CPoint point = msg->pt;
    ScreenToClient(&point);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    const INT_PTR hit = OnToolHitTest(point, &info);
    const HWND hitWindow = hit == -1 ? nullptr : info.hwnd;
    if (hit != shownTool.id || hitWindow != shownTool.hwnd) {
        if (shownTool.hwnd)
            toolTip->DelTool(shownTool.hwnd, static_cast<UINT_PTR>(shownTool.id));
        // The control keeps its own copy of the text.
        if (hitWindow)
            toolTip->AddTool(&info);
        shownTool = ShownTool{hitWindow, hitWindow ? hit : -1};
    }
    if (info.lpszText != LPSTR_TEXTCALLBACKW)
        std::free(info.lpszText);
    toolTip->RelayEvent(msg);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    HWND reference = alternateOwner ? alternateOwner->GetSafeHwnd() : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area;
    if (reference && ::IsWindowVisible(reference))
        ::GetWindowRect(reference, &area);
    else
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own;
    ::GetWindowRect(m_hWnd, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const bool fromChild = (msg == WM_COMMAND && lParam != 0) ||
                           (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC);
    if (fromChild) {
        // Controls such as the skinned edit answer their own notifications.
        CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        LRESULT result = 0;
        if (child && child->OnChildNotify(msg, wParam, lParam, &result))
            return result;
    }
    if (msg == WM_COMMAND && OnCommand(wParam, lParam))
        return 0;
    return DefWindowProc(msg, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0) {
        CWinApp* app = AfxGetApp();
        return app && app->OnCmdMsg(LOWORD(wParam));
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_originalProc)
        return ::CallWindowProcW(m_originalProc, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}
