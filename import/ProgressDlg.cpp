#include "import/ProgressDlg.h"

#include "DataExchange.h"
#include "res/resource.h"

namespace {

constexpr uint64_t kPumpIntervalMs = 10;

} // namespace

CProgressDlg::CProgressDlg(CWnd* owner) : CDialog(IDD_PROGRESS, owner) {}

CProgressDlg::~CProgressDlg()
{
    DestroyWindow();
}

bool CProgressDlg::create(UINT titleId, CWnd* parent)
{
    if (!Create(IDD_PROGRESS, parent))
        return false;
    CenterWindow(parent);
    CString title;
    title.LoadString(titleId);
    SetWindowText(title);
    m_cancelled = false;
    return true;
}

BOOL CProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_progress.SetBarBrush(0, GetSysColor(COLOR_ACTIVECAPTION));
    m_progress.SetTextFormat(L"%d%%", PBS_TEXT_PERCENT);
    return TRUE;
}

void CProgressDlg::DoDataExchange(CDataExchange* exchange)
{
    DDX_Control(exchange, IDC_PROGRESS_BAR, m_progress);
}

void CProgressDlg::OnCancel()
{
    // Cancel only asks the worker to stop; the worker closes the window.
    if (IsWindowVisible())
        m_cancelled = true;
}

void CProgressDlg::pumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The quit is the host's loop's: it gets it again once the open returns.
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        // A translated key is dispatched too, as every message loop does.
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CProgressDlg::pumpMessagesSometimes()
{
    const uint64_t now = GetTickCount64();
    if (now - m_lastPump < kPumpIntervalMs)
        return;
    m_lastPump = now;
    pumpMessages();
}

void CProgressDlg::updateText()
{
    CString text = m_text;
    if (!m_subText.IsEmpty())
        text += L"\r\n" + m_subText;
    SetDlgItemTextW(m_hWnd, IDC_PROGRESS_TEXT, text);
}

void CProgressDlg::setText(const wchar_t* text)
{
    m_text = text;
    m_subText.Empty();
    updateText();
    pumpMessages();
}

void CProgressDlg::setTextId(UINT id)
{
    CString text;
    text.LoadString(id);
    setText(text);
}

void CProgressDlg::setSubText(const wchar_t* text)
{
    m_subText = text;
    updateText();
    pumpMessages();
}

void CProgressDlg::setSubTextId(UINT id)
{
    CString text;
    text.LoadString(id);
    setSubText(text);
}

void CProgressDlg::setRange(UINT maximum)
{
    m_range = maximum;
    m_position = 0;
    m_progress.SendMessage(PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
    m_progress.SetPos(0);
    m_progress.Invalidate(TRUE);
    pumpMessages();
}

void CProgressDlg::setPos(UINT position)
{
    // The decoders report after every frame. Working out whether the bar or
    // its percentage changed costs more than the frame, and a thousandth of
    // the range changes neither; the end is always shown.
    m_position = position;
    const UINT shown = static_cast<UINT>(m_progress.GetPos());
    const bool small = position >= shown && position - shown < m_range / 1000;
    if (!small || position == m_range)
        m_progress.SetPos(static_cast<int>(position));
    pumpMessagesSometimes();
}

void CProgressDlg::offsetPos(UINT increment)
{
    setPos(m_position + increment);
}

void CProgressDlg::show(bool visible)
{
    if (visible)
        CenterWindow(GetParent());
    ShowWindow(visible ? SW_SHOW : SW_HIDE);
    pumpMessages();
}

bool CProgressDlg::isCancelled()
{
    pumpMessagesSometimes();
    return m_cancelled;
}
