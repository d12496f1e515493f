#include "host/AboutDlg.h"

#include "infra/SystemInfo.h"
#include "res/resource.h"

HWND CAboutDlg::s_open = nullptr;

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

INT_PTR CAboutDlg::run(CWnd* parent)
{
    if (s_open && ::IsWindow(s_open)) {
        ::SetFocus(s_open);
        return IDCANCEL;
    }
    CAboutDlg dialog(parent);
    const INT_PTR result = dialog.DoModal();
    s_open = nullptr;
    return result;
}

BOOL CAboutDlg::OnInitDialog()
{
    s_open = m_hWnd;
    ::SetDlgItemTextW(m_hWnd, IDC_ABOUT_PRODUCT, GetHostProductName() + L" " + GetHostVersion());
    return TRUE;
}
