#pragma once

#include "Afx.h"
#include "SkinObjects.h"
#include "widgets/SkinEdit.h"
#include "widgets/XButton.h"

class ISkinParser;

// Asks for the name of the ringtone being saved; skinned from the skin
// source the editor started with, at the dialog's DPI.
class CTrackNameDlg : public CDialog {
public:
    explicit CTrackNameDlg(CWnd* parent = nullptr);

    bool applySkin(ISkinParser& parser);
    const CString& trackName() const { return m_trackName; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* exchange) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool loadSkin(ISkinParser& parser);

    CXButton m_titleLabel;
    CXButton m_okButton;
    CSkinEdit m_nameEdit;
    CString m_trackName;
    CDynBitmap m_background;
    CDynRgn m_region;
    CString m_title;
};
