#pragma once

#include "Afx.h"

// The About box: the host's product name and version. Only one is open at a
// time; a second request brings the open one forward.
class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent);

    // Runs the box modally, or focuses the one already open (IDCANCEL).
    static INT_PTR run(CWnd* parent);

protected:
    BOOL OnInitDialog() override;

private:
    static HWND s_open;
};
