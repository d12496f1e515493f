#pragma once

#include "CString.h"

class CWnd;

// One pass of dialog data exchange, from the controls to the members when
// saving and the other way otherwise.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
    {
    }

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// The text of dialog item id and value.
void DDX_Text(CDataExchange* exchange, int id, CString& value);
// Binds dialog item id to control the first time.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
