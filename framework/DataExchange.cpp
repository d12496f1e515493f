#include "DataExchange.h"

#include "Wnd.h"

void DDX_Text(CDataExchange* exchange, int id, CString& value)
{
    HWND item = exchange->m_pDlgWnd->GetDlgItem(id);
    if (!exchange->m_bSaveAndValidate) {
        ::SetWindowTextW(item, value);
        return;
    }
    value = AfxGetWindowText(item);
}

void DDX_Control(CDataExchange* exchange, int id, CWnd& control)
{
    if (!control.GetSafeHwnd())
        control.SubclassDlgItem(static_cast<UINT>(id), exchange->m_pDlgWnd);
}
