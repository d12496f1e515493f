#include "host/TarviskDlg.h"

#include "SkinParser.h"
#include "host/AboutDlg.h"
#include "host/HtmlHelp.h"
#include "host/TarviskApp.h"
#include "host/TrackNameDlg.h"
#include "infra/ErrorBox.h"
#include "infra/Logger.h"
#include "infra/Settings.h"
#include "res/resource.h"
#include "widgets/BitmapDrawing.h"

namespace {

constexpr UINT kEditorId = 1;

} // namespace

CTarviskDlg::CTarviskDlg(CWnd* parent) : CDialog(IDD_TARVISK_DIALOG, parent)
{
    HINSTANCE module = AfxGetResourceHandle();
    m_bigIcon = ::LoadIconW(module, MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_smallIcon = static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    if (!m_smallIcon)
        m_smallIcon = m_bigIcon;
}

CTarviskDlg::~CTarviskDlg()
{
    DestroyWindow();
    if (m_smallIcon != m_bigIcon)
        ::DestroyIcon(m_smallIcon);
}

BOOL CTarviskDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ModifyStyle(0, WS_MINIMIZEBOX | WS_SYSMENU);
    CString text;
    text.LoadString(IDS_EDITOR_TITLE);
    SetWindowText(text);

    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUT);
        if (!about.IsEmpty()) {
            ::InsertMenuW(menu, 5, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            ::InsertMenuW(menu, 6, MF_BYPOSITION | MF_STRING, IDM_ABOUTBOX, about);
        }
        ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
        ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));

    m_titleLabel.SubclassDlgItem(IDC_TITLE_LABEL, this);
    m_helpButton.SubclassDlgItem(IDC_HELP_BUTTON, this);
    m_minimizeButton.SubclassDlgItem(IDC_MINIMIZE_BUTTON, this);
    m_exitButton.SubclassDlgItem(IDC_EXIT_BUTTON, this);
    m_aboutButton.SubclassDlgItem(IDC_ABOUT_BUTTON, this);

    CRect none;
    if (!m_editor.create(WS_VISIBLE, none, this, kEditorId)) {
        LogFormat(LOG_ERROR, L"error creating melvora control");
        CDialog::EndDialog(IDCANCEL);
        return TRUE;
    }
    m_editor.attach();

    KeepDialogLayoutOnDpiChange(m_hWnd);
    m_dpi = WindowDpi(m_hWnd);
    ISkinParser* skin = GetTarviskApp().getSkinParser();
    if (!skin || !applySkin(*skin))
        ErrorBoxRes(m_hWnd, IDS_ERROR_LOADING_SKIN);

    m_helpButton.setTooltip(IDS_TIP_HELP, 0);
    m_minimizeButton.setTooltip(IDS_TIP_MINIMIZE, 0);
    m_aboutButton.setTooltip(IDS_TIP_ABOUT, 0);
    m_exitButton.setTooltip(IDS_TIP_EXIT, 0);
    return TRUE;
}

bool CTarviskDlg::applySkin(ISkinParser& parser)
{
    CScaledSkinParser scaled(parser, m_dpi);
    if (!loadSkin(scaled))
        return false;
    layout();
    return true;
}

bool CTarviskDlg::loadSkin(CScaledSkinParser& parser)
{
    if (!m_editor.loadSkin(parser))
        return false;
    const struct {
        CXButton& button;
        const wchar_t* section;
        int kind;
    } parts[] = {{m_titleLabel, L"[mv_lbl_title_main]", XBUTTON_LABEL},
                 {m_helpButton, L"[mv_btn_help]", XBUTTON_PUSH},
                 {m_minimizeButton, L"[mv_btn_minimize]", XBUTTON_PUSH},
                 {m_aboutButton, L"[mv_btn_about]", XBUTTON_PUSH},
                 {m_exitButton, L"[mv_btn_exit]", XBUTTON_PUSH}};
    for (const auto& part : parts) {
        if (!part.button.load(parser, part.section, part.kind)) {
            LogFormat(LOG_ERROR, L"skin: section %s did not load", part.section);
            return false;
        }
    }
    if (!parser.selectSection(L"[mv_main]"))
        return false;
    m_title.Empty();
    if (!parser.getSize(L"vh_ctrl_position", m_controlPosition))
        return false;
    if (!parser.getBitmap(L"bitmap", m_background))
        return false;
    // Optional: without one the outline read before stays.
    parser.getRegion(L"region", m_windowRegion);
    parser.getText(L"title", m_title);
    return true;
}

void CTarviskDlg::layout()
{
    if (m_windowRegion.GetSafeHandle()) {
        // The system owns the region it is given, so it gets a copy.
        HRGN copy = ::CreateRectRgn(0, 0, 0, 0);
        ::CombineRgn(copy, m_windowRegion, nullptr, RGN_COPY);
        SetWindowRgn(copy, TRUE);
    }
    const CSize editorSize = m_editor.backgroundSize();
    m_editor.MoveWindow(m_controlPosition.cx, m_controlPosition.cy, editorSize.cx, editorSize.cy,
                        TRUE);
    m_editor.layout();
    const SIZE size = m_background.GetSize();
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

CallResult CTarviskDlg::openFile(const CString& file, const wchar_t* wavFile)
{
    const CallResult result = m_editor.openFile(file, wavFile);
    // The keyboard starts where the work is: on the waveform.
    if (IsWindowVisible())
        m_editor.view().SetFocus();
    return result;
}

BOOL CTarviskDlg::PreTranslateMessage(MSG* msg)
{
    if (m_editor.GetSafeHwnd() && m_editor.PreTranslateMessage(msg))
        return TRUE;
    // The keys the editor left move the focus (Tab, Shift+Tab) and press
    // buttons (Space, Enter): the dialog's own navigation, which dispatches
    // them itself.
    const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    if (key && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd)) &&
        ::IsDialogMessageW(m_hWnd, msg))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CTarviskDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        onSysCommand(static_cast<UINT>(wParam & 0xFFF0), lParam);
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        onPaint(PrintTarget(msg, wParam));
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_bigIcon);
    case WM_NCHITTEST:
        // Any uncovered part of the face drags the window.
        return HTCAPTION;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_INITMENU: {
        const LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
        ::EnableMenuItem(::GetSystemMenu(m_hWnd, FALSE), SC_MINIMIZE,
                         MF_BYCOMMAND | (::IsIconic(m_hWnd) ? MF_GRAYED | MF_DISABLED : MF_ENABLED));
        return result;
    }
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}

BOOL CTarviskDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDC_ABOUT_BUTTON:
        m_aboutButton.clearMouseOver();
        CAboutDlg::run(this);
        return TRUE;
    case IDC_EXIT_BUTTON:
        m_exitButton.clearMouseOver();
        onClose();
        return TRUE;
    case IDC_MINIMIZE_BUTTON:
        m_minimizeButton.clearMouseOver();
        ShowWindow(SW_MINIMIZE);
        return TRUE;
    case IDC_HELP_BUTTON:
        m_helpButton.clearMouseOver();
        onHelp();
        return TRUE;
    case kEditorId:
        if (HIWORD(wParam) == CTarviskCtrl::notifySave) {
            onSave();
            return TRUE;
        }
        if (HIWORD(wParam) == CTarviskCtrl::notifyClose) {
            onClose();
            return TRUE;
        }
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

// Moved to a monitor of another scale: the same skin again at the new DPI,
// at the place the system suggests. The document, the cut and a playback
// go on as they were.
void CTarviskDlg::onDpiChanged(UINT dpi, const RECT& suggested)
{
    m_dpi = dpi;
    ISkinParser* skin = GetTarviskApp().getAppliedSkin();
    if (!skin || !applySkin(*skin))
        LogFormat(LOG_ERROR, L"the skin did not load again at %u DPI", dpi);
    SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTarviskDlg::onSysCommand(UINT command, LPARAM lParam)
{
    switch (command) {
    case IDM_ABOUTBOX:
        CAboutDlg::run(this);
        break;
    case SC_CLOSE:
        onClose();
        break;
    case SC_MAXIMIZE:
        if (::IsIconic(m_hWnd))
            ShowWindow(SW_RESTORE);
        break;
    case SC_SIZE:
        break;
    default:
        CDialog::WindowProc(WM_SYSCOMMAND, command, lParam);
    }
}

void CTarviskDlg::onPaint(HDC printTarget)
{
    CPaintDC dc(this, printTarget);
    if (::IsIconic(m_hWnd)) {
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        CRect client;
        GetClientRect(&client);
        const int width = ::GetSystemMetrics(SM_CXICON);
        const int height = ::GetSystemMetrics(SM_CYICON);
        ::DrawIcon(dc, (client.Width() - width + 1) / 2, (client.Height() - height + 1) / 2,
                   m_bigIcon);
        return;
    }
    DrawBitmap(&dc, &m_background);
}

void CTarviskDlg::onHelp()
{
    const CString link = GetMVSettings().GetHelpLink();
    if (link.IsEmpty()) {
        LogFormat(LOG_ERROR, L"CTarviskDlg::OnHelp : empty help link");
        return;
    }
    if (!OpenHtmlHelp(link))
        LogFormat(LOG_ERROR, L"CTarviskDlg::OnHelp : error opening help link '%s' : %s",
                  link.GetString(), SystemErrorText().GetString());
}

void CTarviskDlg::onClose()
{
    m_editor.view().stopPlaying();
    m_editor.document().store();
    ShowWindow(SW_HIDE);
}

void CTarviskDlg::onSave()
{
    CTrackNameDlg dialog;
    dialog.DoModal();
    CStreamDocument& document = m_editor.document();
    const std::wstring input = document.getInputFileName().str();
    const std::wstring name = dialog.trackName().str();
    const CCutRegion& cut = document.cutRegion();
    Tarvisk::IAudioCutterServiceProvider* provider = GetTarviskApp().getServiceProvider();
    // A host that gave no service provider gets nothing saved, not a crash.
    if (!provider) {
        LogFormat(LOG_ERROR, L"save: the host gave no service provider; the cut is not saved");
        return;
    }
    provider->saveCut(input, name, cut.begin, cut.end, cut.fadeIn, cut.fadeOut);
}
