#pragma once

#include "Afx.h"
#include "Dpi.h"
#include "SkinObjects.h"
#include "host/TarviskCtrl.h"
#include "widgets/XButton.h"

class ISkinParser;
class CScaledSkinParser;

// The editor's top-level window, from dialog template 102: captionless,
// drawn from the skin's bitmap and outlined by its region. It is created
// hidden; openFile shows it.
class CTarviskDlg : public CDialog {
public:
    explicit CTarviskDlg(CWnd* parent);
    ~CTarviskDlg() override;

    // Loads the skin at the window's DPI and, when that succeeds, lays the
    // window out.
    bool applySkin(ISkinParser& parser);
    // wavFile, when given, is an already decoded WAV of file.
    CallResult openFile(const CString& file, const wchar_t* wavFile);
    BOOL PreTranslateMessage(MSG* msg) override;
    CTarviskCtrl& editor() { return m_editor; }

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override {}
    void OnOK() override {}

private:
    bool loadSkin(CScaledSkinParser& parser);
    void layout();
    void onSysCommand(UINT command, LPARAM lParam);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void onPaint(HDC printTarget);
    void onHelp();
    void onClose();
    void onSave();

    CXButton m_titleLabel;
    CXButton m_helpButton;
    CXButton m_minimizeButton;
    CXButton m_exitButton;
    CXButton m_aboutButton;
    HICON m_bigIcon = nullptr;
    // Holds the 2 MB DAT cache: the dialog always lives on the heap.
    CTarviskCtrl m_editor;
    HICON m_smallIcon = nullptr;
    SIZE m_controlPosition{};
    CDynBitmap m_background;
    CDynRgn m_windowRegion;
    CString m_title;
    UINT m_dpi = kDesignDpi;
};
