#include "host/TrackNameDlg.h"

#include "DataExchange.h"
#include "Dpi.h"
#include "SkinParser.h"
#include "host/TarviskApp.h"
#include "res/resource.h"
#include "widgets/BitmapDrawing.h"
#include "widgets/ScaledSkinParser.h"

CTrackNameDlg::CTrackNameDlg(CWnd* parent) : CDialog(IDD_TRACK_NAME, parent) {}

void CTrackNameDlg::DoDataExchange(CDataExchange* exchange)
{
    DDX_Control(exchange, IDC_TITLE_LABEL, m_titleLabel);
    DDX_Control(exchange, IDOK, m_okButton);
    DDX_Control(exchange, IDC_TRACK_NAME, m_nameEdit);
    DDX_Text(exchange, IDC_TRACK_NAME, m_trackName);
}

BOOL CTrackNameDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_nameEdit.setAccessibleName(IDS_ACC_TRACK_NAME);
    // A skin that does not load leaves the plain dialog; nothing to report.
    if (ISkinParser* skin = GetTarviskApp().getSkinParser())
        applySkin(*skin);
    // Over the editor, which it names the cut of; the template's place is its owner's corner.
    CenterWindow();
    ::SetFocus(GetDlgItem(IDC_TRACK_NAME));
    return FALSE;
}

bool CTrackNameDlg::applySkin(ISkinParser& parser)
{
    CScaledSkinParser scaled(parser, WindowDpi(m_hWnd));
    if (!loadSkin(scaled))
        return false;
    if (m_region.GetSafeHandle()) {
        HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
        ::CombineRgn(copy, m_region, nullptr, RGN_COPY);
        SetWindowRgn(copy, TRUE);
    }
    const SIZE size = m_background.GetSize();
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return true;
}

bool CTrackNameDlg::loadSkin(ISkinParser& parser)
{
    if (!m_titleLabel.load(parser, L"[mv_lbl_title_track_name]", XBUTTON_LABEL) ||
        !m_okButton.load(parser, L"[mv_btn_ok]", XBUTTON_PUSH) ||
        !m_nameEdit.LoadSkin(&parser, L"[mv_edt_track_name]"))
        return false;
    if (!parser.selectSection(L"[mv_track_name]"))
        return false;
    m_title.Empty();
    if (!parser.getBitmap(L"bitmap", m_background))
        return false;
    parser.getRegion(L"region", m_region);
    return true;
}

LRESULT CTrackNameDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
        CPaintDC dc(this, PrintTarget(msg, wParam));
        DrawBitmap(&dc, &m_background);
        return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
