#pragma once

#include "CString.h"
#include "ModuleState.h"
#include "Rect.h"

#include <commctrl.h>

class CDataExchange;
class CFont;

CString AfxGetWindowText(HWND hwnd);

// A C++ object bound to a real window. Every window of the component reaches
// C++ the same way: its window procedure is replaced by the framework's, which
// calls the virtual WindowProc of the bound object; unhandled messages go on to
// the window's original procedure through DefWindowProc.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }
    static CWnd* FromHandlePermanent(HWND hwnd);

    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    // Binds an existing window (a dialog item, say) to this object.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    virtual BOOL DestroyWindow();

    virtual BOOL PreTranslateMessage(MSG* msg);

    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    void CenterWindow(CWnd* alternateOwner = nullptr);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

    // Geometry, painting and state of the window.
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
    void ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    int SetWindowRgn(HRGN region, BOOL redraw) { return ::SetWindowRgn(m_hWnd, region, redraw); }
    int GetWindowRgn(HRGN region) const { return ::GetWindowRgn(m_hWnd, region); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add);
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void SetFont(const CFont* font, BOOL redraw = TRUE);
    HFONT GetFont() const
    {
        return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    CString GetWindowText() const { return AfxGetWindowText(m_hWnd); }

    // Dialog data exchange: DoDataExchange moves values between the controls
    // and members, towards the members when saving.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Tooltips: while enabled, mouse messages that reach PreTranslateMessage
    // are checked against OnToolHitTest and shown by the thread's tooltip.
    BOOL EnableToolTips(BOOL enable = TRUE);
    // The tool under a client point: its identifier, or -1 for none. A text
    // the tool describes is allocated with malloc and freed by the caller.
    virtual INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* info) const;
    void FilterToolTipMessage(MSG* msg);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND; true when handled. Unhandled commands go to the application.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // After the window is gone; the object may delete itself here.
    virtual void PostNcDestroy() {}
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Called by SubclassWindow before the window's messages reach this object.
    virtual void PreSubclassWindow() {}
    virtual void DoDataExchange(CDataExchange*) {}
    // A notification (command, control colour) the parent offers its child
    // before handling it; true with *result set when the child answered.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    void attach(HWND hwnd);
    void detach();
    WNDPROC m_originalProc = nullptr;
    AFX_MODULE_STATE* m_moduleState = nullptr;
    BOOL m_toolTipsEnabled = FALSE;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK afxCreationHook(int, WPARAM, LPARAM);
};

// Binds the next window created on this thread to wnd, from its first message on.
void AfxHookWindowCreate(CWnd* wnd);
void AfxUnhookWindowCreate();

// A window the caller owns (the desktop, a host's window), used as a parent
// or an owner: never destroyed, even when the code using it throws.
class CBorrowedWnd : public CWnd {
public:
    explicit CBorrowedWnd(HWND window) { m_hWnd = window; }
    ~CBorrowedWnd() override { m_hWnd = nullptr; }
};
