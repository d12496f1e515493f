#pragma once

#include "Wnd.h"

// A real dialog from a template in the current module's resources, modeless
// (Create) or modal (DoModal).
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    virtual INT_PTR DoModal();
    void EndDialog(int result);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual BOOL OnInitDialog()
    {
        UpdateData(FALSE);
        return TRUE;
    }
    virtual void OnOK()
    {
        UpdateData(TRUE);
        EndDialog(IDOK);
    }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    UINT m_templateId;
    CWnd* m_parent;
    bool m_modal = false;
};
