#include "WinApp.h"

#include "ModuleState.h"
#include "Wnd.h"

CWinApp::CWinApp(const wchar_t* appName) : m_appName(appName)
{
    AfxGetStaticModuleState()->m_pCurrentWinApp = this;
}

CWinApp::~CWinApp()
{
    AFX_MODULE_STATE* state = AfxGetStaticModuleState();
    if (state->m_pCurrentWinApp == this)
        state->m_pCurrentWinApp = nullptr;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    HWND stop = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
        if (hwnd == stop)
            break;
    }
    return FALSE;
}

BOOL CWinApp::OnCmdMsg(UINT) { return FALSE; }

CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
