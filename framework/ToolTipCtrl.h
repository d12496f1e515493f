#pragma once

#include "Wnd.h"

// A tooltip control of comctl32.
class CToolTipCtrl : public CWnd {
public:
    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL AddTool(const TOOLINFOW* info)
    {
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(info)));
    }
    void DelTool(HWND tool, UINT_PTR id);
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    int SetMaxTipWidth(int width)
    {
        return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width));
    }
};

// The tooltip control that shows the tools of this thread's windows, made on
// first use; null when it cannot be made.
CToolTipCtrl* AfxGetThreadToolTip();
