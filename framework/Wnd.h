#pragma once

#include "CString.h"
#include "ModuleState.h"

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

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND; true when handled. Unhandled commands go to the application.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // After the window is gone; the object may delete itself here.
    virtual void PostNcDestroy() {}
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    void attach(HWND hwnd);
    void detach();
    WNDPROC m_originalProc = nullptr;
    AFX_MODULE_STATE* m_moduleState = nullptr;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK afxCreationHook(int, WPARAM, LPARAM);
};

// Binds the next window created on this thread to wnd, from its first message on.
void AfxHookWindowCreate(CWnd* wnd);
void AfxUnhookWindowCreate();
