#pragma once

#include "Afx.h"

class ISkinParser;

// The editor's top-level window, from dialog template 102. It is created
// hidden; openFile shows it.
class CTarviskDlg : public CDialog {
public:
    explicit CTarviskDlg(CWnd* parent);

    bool applySkin(ISkinParser& parser);
    // wavFile, when given, is an already decoded WAV of file.
    void openFile(const CString& file, const wchar_t* wavFile);
};
