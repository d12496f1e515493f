#pragma once

#include "CString.h"

class CWnd;

// Application object of the module. Registered with the module's own state
// when constructed, so AfxGetApp finds it while that state is current.
class CWinApp {
public:
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Offers the message to the window it is for and to that window's parents,
    // up to the main window.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Commands that no window handled; true when handled.
    virtual BOOL OnCmdMsg(UINT id);

    CWnd* m_pMainWnd = nullptr;
    CString m_appName;
};

CWinApp* AfxGetApp();
