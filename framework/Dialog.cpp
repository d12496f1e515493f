#include "Dialog.h"

#include "ModuleState.h"
#include "WinApp.h"

namespace {

// Every message reaches the dialog's C++ object through its window procedure,
// so the dialog procedure that the system calls from the default one has
// nothing left to do.
INT_PTR CALLBACK afxDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

const DLGTEMPLATE* dialogTemplate(UINT templateId)
{
    HRSRC found = AfxFindResource(MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL data = found ? ::LoadResource(AfxGetResourceHandle(), found) : nullptr;
    return data ? static_cast<const DLGTEMPLATE*>(::LockResource(data)) : nullptr;
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    m_parent = parent;
    m_modal = false;
    const DLGTEMPLATE* resource = dialogTemplate(templateId);
    if (!resource)
        return FALSE;
    AfxHookWindowCreate(this);
    HWND hwnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), resource,
                                             parent ? parent->GetSafeHwnd() : nullptr,
                                             afxDialogProc, 0);
    AfxUnhookWindowCreate();
    return hwnd != nullptr;
}

INT_PTR CDialog::DoModal()
{
    const DLGTEMPLATE* resource = dialogTemplate(m_templateId);
    if (!resource)
        return -1;
    m_modal = true;
    AfxHookWindowCreate(this);
    // Without a parent the application's main window owns the dialog.
    CWinApp* app = AfxGetApp();
    CWnd* owner = m_parent ? m_parent : app ? app->m_pMainWnd : nullptr;
    INT_PTR result = ::DialogBoxIndirectParamW(AfxGetResourceHandle(), resource,
                                               owner ? owner->GetSafeHwnd() : nullptr,
                                               afxDialogProc, 0);
    AfxUnhookWindowCreate();
    m_modal = false;
    return result;
}

void CDialog::EndDialog(int result)
{
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ShowWindow(SW_HIDE);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return 0;
            }
        }
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
