#include "host/TarviskCtrl.h"

#include "SkinParser.h"
#include "infra/Logger.h"
#include "infra/Settings.h"
#include "res/resource.h"
#include "widgets/BitmapDrawing.h"

#include <windowsx.h>

namespace {

constexpr UINT kViewId = 999999;
const wchar_t kWindowClass[] = L"TarviskCtrl";

bool registerWindowClass()
{
    WNDCLASSW existing{};
    HINSTANCE module = AfxGetInstanceHandle();
    if (::GetClassInfoW(module, kWindowClass, &existing))
        return true;
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = module;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassW(&wc) != 0;
}

} // namespace

// Creation and skin order of the buttons and labels, which is also the
// order Tab takes after the stream view.
const std::array<CTarviskCtrl::ButtonEntry, 20> CTarviskCtrl::kButtons = {{
    {L"[mv_lbl_step2]", XBUTTON_LABEL, 6, 0, 0},
    {L"[mv_lbl_zoom]", XBUTTON_LABEL, 10, 0, 0},
    {L"[mv_btn_zoom_in]", XBUTTON_PUSH, ID_VIEW_ZOOM_IN, IDS_TIP_ZOOM_IN, IDS_KEY_ZOOM_IN},
    {L"[mv_btn_zoom_out]", XBUTTON_PUSH, ID_VIEW_ZOOM_OUT, IDS_TIP_ZOOM_OUT, IDS_KEY_ZOOM_OUT},
    {L"[mv_lbl_play]", XBUTTON_LABEL, 22, 0, 0},
    {L"[mv_btn_play]", XBUTTON_PUSH, ID_VIEW_PLAY, IDS_TIP_PLAY, IDS_KEY_PLAY},
    {L"[mv_lbl_play_cut]", XBUTTON_LABEL, 20, 0, 0},
    {L"[mv_btn_play_cut]", XBUTTON_PUSH, ID_VIEW_PLAY_CUT, IDS_TIP_PLAY_CUT, IDS_KEY_PLAY_CUT},
    {L"[mv_btn_stop]", XBUTTON_PUSH, ID_VIEW_STOP, IDS_TIP_STOP, IDS_KEY_STOP},
    {L"[mv_lbl_cut]", XBUTTON_LABEL, 30, 0, 0},
    {L"[mv_btn_cut_begin]", XBUTTON_PUSH, ID_VIEW_CUT_BEGIN, IDS_TIP_CUT_BEGIN, IDS_KEY_CUT_BEGIN},
    {L"[mv_btn_cut_end]", XBUTTON_PUSH, ID_VIEW_CUT_END, IDS_TIP_CUT_END, IDS_KEY_CUT_END},
    {L"[mv_lbl_fading]", XBUTTON_LABEL, 40, 0, 0},
    {L"[mv_btn_fading_begin]", XBUTTON_PUSH, ID_VIEW_FADE_IN, IDS_TIP_FADING_BEGIN,
     IDS_KEY_FADE_IN},
    {L"[mv_btn_fading_end]", XBUTTON_PUSH, ID_VIEW_FADE_OUT, IDS_TIP_FADING_END, IDS_KEY_FADE_OUT},
    {L"[mv_btn_fading_remove]", XBUTTON_PUSH, ID_VIEW_FADES_REMOVE, IDS_TIP_FADING_REMOVE,
     IDS_KEY_FADES_REMOVE},
    {L"[mv_btn_scroll_left]", XBUTTON_PUSH, ID_VIEW_SCROLL_LEFT, IDS_TIP_SCROLL_LEFT,
     IDS_KEY_SCROLL_LEFT},
    {L"[mv_btn_scroll_right]", XBUTTON_PUSH, ID_VIEW_SCROLL_RIGHT, IDS_TIP_SCROLL_RIGHT,
     IDS_KEY_SCROLL_RIGHT},
    {L"[mv_btn_save]", XBUTTON_PUSH, ID_EDITOR_SAVE, IDS_TIP_SAVE, 0},
    {L"[mv_btn_save&exit]", XBUTTON_PUSH, ID_EDITOR_SAVE_AND_EXIT, IDS_TIP_SAVE_AND_EXIT, 0},
}};

CTarviskCtrl::CTarviskCtrl() = default;

bool CTarviskCtrl::create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    // A control parent: the dialog's Tab goes through the controls inside.
    if (!registerWindowClass() || !CreateEx(WS_EX_CONTROLPARENT, kWindowClass, L"TarviskCtrl",
                                            style | WS_CHILD, rect, parent, id))
        return false;
    if (!m_view.create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, this, kViewId))
        return false;
    for (size_t i = 0; i < kButtons.size(); ++i) {
        if (!m_buttons[i].create(WS_VISIBLE | SS_NOTIFY, rect, this, kButtons[i].id,
                                 kButtons[i].tooltip))
            return false;
        m_buttons[i].setKey(kButtons[i].key);
    }
    return true;
}

CXButton& CTarviskCtrl::button(UINT id)
{
    for (size_t i = 0; i < kButtons.size(); ++i) {
        if (kButtons[i].id == id)
            return m_buttons[i];
    }
    return m_buttons[0];
}

void CTarviskCtrl::attach()
{
    m_view.setDocument(&m_document);
    m_document.attach(this, &m_view);
    refreshButtons();
}

bool CTarviskCtrl::loadSkin(CScaledSkinParser& parser)
{
    if (!m_view.loadSkin(parser, parser.dpi())) {
        LogFormat(LOG_ERROR, L"skin: the stream view did not load");
        return false;
    }
    for (size_t i = 0; i < kButtons.size(); ++i) {
        if (!m_buttons[i].load(parser, kButtons[i].section, kButtons[i].kind)) {
            LogFormat(LOG_ERROR, L"skin: section %s did not load", kButtons[i].section);
            return false;
        }
    }
    if (!parser.selectSection(L"[mv_ctrl]") || !parser.getBitmap(L"bitmap_bg", m_background)) {
        LogFormat(LOG_ERROR, L"skin: [mv_ctrl] has no bitmap_bg");
        return false;
    }
    // A skin without an outline leaves the control rectangular.
    m_region.DeleteObject();
    parser.getRegion(L"region_bg", m_region);
    m_skinName = GetCurrentSkinName();
    return true;
}

void CTarviskCtrl::layout()
{
    // The system owns the region it is given, so it gets a copy; without a
    // region of its own the control drops the previous skin's outline.
    HRGN outline = nullptr;
    if (m_region.GetSafeHandle()) {
        outline = ::CreateRectRgn(0, 0, 0, 0);
        ::CombineRgn(outline, m_region, nullptr, RGN_COPY);
    }
    SetWindowRgn(outline, TRUE);
    m_view.applySkin();
    m_document.refreshDisplayName();
    Invalidate(TRUE);
}

CallResult CTarviskCtrl::openFile(const CString& file, const wchar_t* wavFile)
{
    if (m_document.openInputFile(file, wavFile, 0))
        return CallResult::Done;
    return m_document.openCancelled() ? CallResult::Cancelled : CallResult::Failed;
}

void CTarviskCtrl::refreshButtons()
{
    CommandState state;
    m_document.fillCommandState(state);
    m_view.fillCommandState(state);
    for (size_t i = 0; i < kButtons.size(); ++i) {
        if (kButtons[i].kind != XBUTTON_LABEL)
            m_buttons[i].setEnabled(CommandEnabled(kButtons[i].id, state));
    }
}

BOOL CTarviskCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const WORD code = HIWORD(wParam);
    // The view's identifier does not fit the command's low word; it is
    // known by its window.
    if (reinterpret_cast<HWND>(lParam) == m_view.GetSafeHwnd() &&
        code == CStreamViewCtrl::notifyChanged) {
        refreshButtons();
        return TRUE;
    }
    if (code != 0 && code != 1)
        return CWnd::OnCommand(wParam, lParam);
    const UINT id = LOWORD(wParam);
    switch (id) {
    case ID_VIEW_ZOOM_IN:
    case ID_VIEW_ZOOM_OUT:
    case ID_VIEW_PLAY_CUT:
    case ID_VIEW_PLAY:
    case ID_VIEW_STOP:
    case ID_VIEW_CUT_BEGIN:
    case ID_VIEW_CUT_END:
    case ID_VIEW_FADE_IN:
    case ID_VIEW_FADE_OUT:
    case ID_VIEW_FADES_REMOVE:
    case ID_VIEW_SCROLL_LEFT:
    case ID_VIEW_SCROLL_RIGHT:
    case ID_PLAY_UNITY_GAIN:
    case ID_PLAY_NORMALIZED:
        m_view.SendMessage(WM_COMMAND, wParam, lParam);
        break;
    case ID_EDITOR_SAVE:
    case ID_EDITOR_SAVE_AND_EXIT: {
        const HWND parent = ::GetParent(m_hWnd);
        const WPARAM self = static_cast<WPARAM>(GetDlgCtrlID());
        ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(self, notifySave),
                       reinterpret_cast<LPARAM>(m_hWnd));
        // The close comes after the save has run to its end.
        if (id == ID_EDITOR_SAVE_AND_EXIT)
            ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(self, notifyClose),
                           reinterpret_cast<LPARAM>(m_hWnd));
        break;
    }
    }
    if (auto* sender = dynamic_cast<CXButton*>(CWnd::FromHandlePermanent(reinterpret_cast<HWND>(lParam))))
        sender->clearMouseOver();
    return CWnd::OnCommand(wParam, lParam);
}

BOOL CTarviskCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_KEYDOWN && msg->message <= WM_UNICHAR) {
        HACCEL accelerators = ::LoadAcceleratorsW(AfxGetResourceHandle(),
                                                  MAKEINTRESOURCEW(IDR_EDITOR_ACCELERATORS));
        if (accelerators && ::TranslateAcceleratorW(m_hWnd, accelerators, msg))
            return TRUE;
        // The view's keys act where it has the focus, or its drag the
        // capture (Escape); the rest go on to the dialog's navigation.
        const HWND view = m_view.GetSafeHwnd();
        if (view && (msg->hwnd == view || ::GetCapture() == view) && m_view.takeKey(*msg))
            return TRUE;
    }
    return CWnd::PreTranslateMessage(msg);
}

LRESULT CTarviskCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        onPaint(PrintTarget(msg, wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SIZE: {
        const LRESULT result = CWnd::WindowProc(msg, wParam, lParam);
        if (m_view.GetSafeHwnd())
            m_view.placeWindow();
        return result;
    }
    case WM_LBUTTONDOWN:
        m_dragStart = CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        m_dragging = true;
        SetCapture();
        break;
    case WM_MOUSEMOVE:
        if (m_dragging && ::GetCapture() == m_hWnd) {
            const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            const HWND parent = ::GetParent(m_hWnd);
            CRect rect;
            ::GetWindowRect(parent, &rect);
            rect.OffsetRect(point.x - m_dragStart.x, point.y - m_dragStart.y);
            ::MoveWindow(parent, rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
        }
        break;
    case WM_LBUTTONUP:
        ::ReleaseCapture();
        m_dragging = false;
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void CTarviskCtrl::onPaint(HDC printTarget)
{
    CPaintDC dc(this, printTarget);
    CRect client;
    GetClientRect(&client);
    DrawBitmap(&dc, &m_background, &client);
}
