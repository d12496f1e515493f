#include "view/StreamViewCtrl.h"

#include "import/StreamDocument.h"
#include "infra/ErrorBox.h"
#include "infra/Settings.h"
#include "res/resource.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Posted by the player's thread so the end of a playback is handled on the
// thread that owns the window.
constexpr UINT WM_PLAYBACK_ENDED = WM_APP + 1;

// Virtual points of the position layer's scroll zones, never hit by a mouse.
const CPoint kScrollLeftPoint(3002, 3002);
const CPoint kScrollRightPoint(3005, 3005);

constexpr int kEdgeHoverDistance = 5; // at 96 DPI

// Keys of the view beyond those that move the position: the ones audio
// editors use for the same things. Plus and minus may need Shift on a
// keyboard layout; F needs it for the fade-out.
enum class Shift { Without, With, Either };
struct KeyCommand {
    UINT key;
    Shift shift;
    UINT command;
};
const KeyCommand kKeyCommands[] = {
    {VK_OEM_PLUS, Shift::Either, ID_VIEW_ZOOM_IN},
    {VK_ADD, Shift::Either, ID_VIEW_ZOOM_IN},
    {VK_OEM_MINUS, Shift::Either, ID_VIEW_ZOOM_OUT},
    {VK_SUBTRACT, Shift::Either, ID_VIEW_ZOOM_OUT},
    {VK_PRIOR, Shift::Without, ID_VIEW_SCROLL_LEFT},
    {VK_NEXT, Shift::Without, ID_VIEW_SCROLL_RIGHT},
    {'I', Shift::Without, ID_VIEW_CUT_BEGIN},
    {'O', Shift::Without, ID_VIEW_CUT_END},
    {'F', Shift::Without, ID_VIEW_FADE_IN},
    {'F', Shift::With, ID_VIEW_FADE_OUT},
    {VK_DELETE, Shift::Without, ID_VIEW_FADES_REMOVE},
    {VK_SPACE, Shift::With, ID_VIEW_PLAY_CUT},
};

// "1:52.537", or "1:52.5" in tenths.
CString clockText(int64_t t, bool tenths)
{
    const int minutes = static_cast<int>(t / 60000);
    const int seconds = static_cast<int>(t / 1000 % 60);
    const int milliseconds = static_cast<int>(t % 1000);
    CString text;
    if (tenths)
        text.Format(L"%d:%02d.%d", minutes, seconds, milliseconds / 100);
    else
        text.Format(L"%d:%02d.%03d", minutes, seconds, milliseconds);
    return text;
}

CString loadedString(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

const UINT kBuiltinCursorIds[] = {IDC_CURSOR_STREAM_OVER, IDC_CURSOR_STREAM_DRAG,
                                  IDC_CURSOR_CUT_OVER,    IDC_CURSOR_CUT_DRAG,
                                  IDC_CURSOR_CUT_RESIZE,  IDC_CURSOR_SLIDER_SET};

// Milliseconds since 1 January 1970.
int64_t wallClock()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    constexpr int64_t ticksFrom1601To1970 = 116444736000000000;
    return (ticks - ticksFrom1601To1970) / 10000;
}

// Places the cut at [begin, end) without letting a temporary overlap of the
// two setters shorten its fades: the edge in the direction of travel goes
// first, so the cut never shrinks on the way.
void moveCut(CCutRegion& cut, int64_t begin, int64_t end)
{
    if (begin < cut.begin) {
        cut.setBegin(begin);
        cut.setEnd(end);
    } else {
        cut.setEnd(end);
        cut.setBegin(begin);
    }
}

} // namespace

CStreamViewCtrl::CStreamViewCtrl()
    : m_arrowCursor(::LoadCursorW(nullptr, IDC_ARROW)), m_currentCursor(m_arrowCursor),
      m_player(std::make_unique<CWavPlayer>(this))
{
    for (size_t role = 0; role < m_builtinCursors.size(); ++role)
        m_builtinCursors[role] =
            ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(kBuiltinCursorIds[role]));
}

// The player goes first: its destruction stops a running playback, whose
// thread may still report to this object.
CStreamViewCtrl::~CStreamViewCtrl()
{
    m_player.reset();
    DestroyWindow();
}

BOOL CStreamViewCtrl::create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    static const wchar_t className[] = L"TarviskStreamView";
    WNDCLASSW windowClass{};
    if (!::GetClassInfoW(AfxGetInstanceHandle(), className, &windowClass)) {
        windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = AfxGetInstanceHandle();
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = className;
        if (!::RegisterClassW(&windowClass))
            return FALSE;
    }
    if (!CreateEx(0, className, L"StreamViewCtrl", style, rect, parent, id))
        return FALSE;
    m_parent = parent ? parent->GetSafeHwnd() : nullptr;
    SetTimer(cursorTimer, static_cast<UINT>(m_timerPeriod));
    return TRUE;
}

HCURSOR CStreamViewCtrl::cursorFor(ViewCursor role) const
{
    const HCURSOR skinned = m_skin.cursor(role);
    return skinned ? skinned : m_builtinCursors[static_cast<size_t>(role)];
}

void CStreamViewCtrl::setCursor(ViewCursor role)
{
    m_currentCursor = cursorFor(role);
    ::SetCursor(m_currentCursor);
}

void CStreamViewCtrl::setArrowCursor()
{
    m_currentCursor = m_arrowCursor;
    ::SetCursor(m_currentCursor);
}

// Skin --------------------------------------------------------------------

bool CStreamViewCtrl::loadSkin(ISkinParser& skin, UINT dpi)
{
    m_skin.dpi = dpi;
    m_positionLayer.setDpi(dpi);
    // The skin replaces the bitmaps, which must not be selected then; the
    // cursor's mask is made again from the new cursor.
    m_skinDCs.release();
    m_cursor.release();
    return m_skin.load(skin);
}

bool CStreamViewCtrl::applySkin()
{
    LOGFONTW font{};
    if (m_skin.axisFont.GetSafeHandle())
        ::GetObjectW(m_skin.axisFont.GetSafeHandle(), sizeof font, &font);
    if (!m_skin.axis)
        m_skin.axis = std::make_unique<CTimeAxis>(font, m_skin.axisPen, m_skin.axisPen, 2.5);
    else
        m_skin.axis->SetAxisParams(font, m_skin.axisPen, m_skin.axisPen, 2.5);
    m_skin.axis->SetAxisParamsEx(m_skin.timemarkSmall, m_skin.timemarkMiddle, m_skin.timemarkBig,
                                 m_skin.axisTextY);
    placeWindow();
    // A skin of the same size brings no size message, but it may move the
    // margins and the mark band.
    layout();
    Invalidate(TRUE);
    return true;
}

void CStreamViewCtrl::placeWindow()
{
    const CRect& position = m_skin.position;
    MoveWindow(position.left, position.top, position.Width(), position.Height(), TRUE);
}

void CStreamViewCtrl::layout()
{
    CRect client;
    GetClientRect(&client);
    const int margin = m_skin.marginWidth;
    m_positionLayer.setRect(client.left + margin, m_skin.markTop, client.right - margin,
                            m_skin.markBottom);
    m_sliderRect = CRect(client.left + margin, m_skin.sliderRange.top, client.right - margin,
                         m_skin.sliderRange.bottom);
    m_positionLayer.setSliderRect(m_sliderRect.left, m_sliderRect.top, m_sliderRect.right,
                                  m_sliderRect.bottom);
    Invalidate(FALSE);
}

// Painting ----------------------------------------------------------------

void CStreamViewCtrl::prepareSurfaces(const CDC& target, int width, int height)
{
    if (!m_back.ready() || !(m_back.size() == CSize(width, height)))
        m_back.createBitmap(&target, width, height);
    if (!m_skinDCs.readyFor(width)) {
        m_skinDCs.select(&target, m_skin, width);
        m_cursor.prepare(&target, m_skin.cursorBitmap,
                         CRect(0, 0, m_skin.cursorBitmap.GetWidth(), height),
                         m_skin.transparentColor);
    }
}

void CStreamViewCtrl::composeFrame(CDC& target)
{
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = m_skin.height;
    prepareSurfaces(target, width, height);
    CDC& back = m_back;
    // Where the skin's bitmaps do not cover the frame it stays black, as a new
    // bitmap is, rather than keep the previous frame.
    ::PatBlt(back, 0, 0, width, height, BLACKNESS);

    CStreamPainter painter(back, m_skinDCs, m_skin, client);
    painter.paintBackground(m_empty);
    CStreamProgressCtrlBase& model = m_positionLayer.model();
    if (!model.isEmpty()) {
        model.setLogarithmic(GetMVSettings().GetLogarithmicView());
        WaveformValues waveform;
        if (m_document &&
            model.visibleEnd() - model.visibleStart() < CStreamProgressCtrlBase::maxWaveformSpan)
            waveform.values =
                m_document->readDatRange(model.visibleStart(), model.visibleEnd(), &waveform.count);
        painter.paintModelLayers(model, waveform);
    }
    painter.paintPositionMarks(m_positionLayer);
    // Before the cursor's strip is saved, so a moving cursor leaves it whole.
    if (::GetFocus() == m_hWnd && !m_focusByMouse)
        DrawFocusRing(back, CRect(0, 0, width, height), m_skin.focusColor, m_skin.px(2));

    if (m_empty) {
        const SIZE size = m_skin.emptyDescBitmap.GetSize();
        back.BitBlt((width - size.cx) / 2, (client.Height() - size.cy) / 2, size.cx, size.cy,
                    &m_skinDCs.of(m_skin.emptyDescBitmap), 0, 0, SRCCOPY);
    } else {
        const CSize cursorSize(m_skin.cursorBitmap.GetWidth(), height);
        const int cursorX = m_positionLayer.posPixel() - cursorSize.cx / 2;
        if (!m_savedStrip.ready() || !(m_savedStrip.size() == cursorSize))
            m_savedStrip.createBitmap(&target, cursorSize.cx, cursorSize.cy);
        m_savedStrip.BitBlt(0, 0, cursorSize.cx, cursorSize.cy, &back, cursorX, 0, SRCCOPY);
        m_savedStripX = cursorX;
        m_cursor.draw(&back, CPoint(cursorX, 0));
    }

    target.BitBlt(0, 0, width, height, &back, 0, 0, SRCCOPY);
}

void CStreamViewCtrl::moveCursorFast()
{
    const int width = m_skin.cursorBitmap.GetWidth();
    const int height = m_skin.height;
    const int newX = m_positionLayer.posPixel() - width / 2;
    const int oldX = m_savedStripX;
    if (!m_savedStrip.ready()) {
        const CRect strip(newX, 0, newX + width, height);
        ::InvalidateRect(m_hWnd, &strip, TRUE);
        return;
    }
    m_back.BitBlt(oldX, 0, width, height, &m_savedStrip, 0, 0, SRCCOPY);
    m_savedStrip.BitBlt(0, 0, width, height, &m_back, newX, 0, SRCCOPY);
    m_savedStripX = newX;
    m_cursor.draw(&m_back, CPoint(newX, 0));

    CClientDC windowDc(this);
    const int distance = std::abs(newX - oldX);
    if (distance >= width) {
        windowDc.BitBlt(oldX, 0, width, height, &m_back, oldX, 0, SRCCOPY);
        windowDc.BitBlt(newX, 0, width, height, &m_back, newX, 0, SRCCOPY);
    } else {
        // Overlapping strips go in one copy, so the window never shows the
        // cursor missing.
        const int origin = std::min(newX, oldX);
        windowDc.BitBlt(origin, 0, distance + width, height, &m_back, origin, 0, SRCCOPY);
    }
}

// Document ----------------------------------------------------------------

void CStreamViewCtrl::refreshFromDocument(bool reset)
{
    const int64_t length = m_document ? m_document->getDurationMs() : 0;
    const bool empty = length <= 0;
    if (empty || reset)
        m_markBegin = m_markEnd = 0;
    m_positionLayer.setLength(static_cast<int32_t>(length), reset);
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    const int64_t pos = m_positionLayer.getPos();
    if (pos == 0 || !m_positionLayer.isTimeVisible(pos))
        m_positionLayer.setPosition((model.visibleStart() + model.visibleEnd()) / 2);
    else
        m_positionLayer.setPosition(pos);

    CCutRegion* documentCut = m_document ? &m_document->cutRegion() : nullptr;
    m_positionLayer.model().setCut(documentCut ? *documentCut : CCutRegion());
    m_positionLayer.setEmpty(empty);
    m_empty = empty;
    m_cut = documentCut && documentCut->valid ? documentCut : nullptr;
    if (m_markMode == 0 && m_cut)
        setMarkMode(2);
    else if (m_markMode == 2 && !m_cut)
        setMarkMode(0);

    updateTimerPeriod();
    Invalidate(FALSE);
    if (!m_cutDragging && !m_resizing)
        notifyParent();
}

void CStreamViewCtrl::setMarkMode(int mode)
{
    m_markMode = mode;
    if (mode == 0)
        m_positionLayer.m_showMarker = false;
}

void CStreamViewCtrl::cutChanged()
{
    m_document->cutChanged();
}

void CStreamViewCtrl::fillCommandState(CommandState& state) const
{
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    const int64_t pos = m_positionLayer.getPos();
    state.atStreamStart = pos == model.streamStart();
    state.atStreamEnd = pos >= model.streamEnd() - 1;
    state.canZoomIn = model.canZoomIn();
    state.canZoomOut = model.isZoomed();
    state.canSetBegin = false;
    state.canSetEnd = false;
    if (!m_document)
        return;

    const CCutRegion& cut = m_document->cutRegion();
    const bool inside = cut.contains(pos);
    const int64_t length = m_document->getDurationMs();
    const bool beginCheck1 = pos + CCutRegion::minCutLength <= length;
    auto beginCheck2 = [&] {
        int64_t t = pos;
        return applyLengthRule(t, Edge::Begin, false);
    };
    auto endCheck2 = [&] {
        int64_t t = pos;
        return applyLengthRule(t, Edge::End, false);
    };
    switch (m_markMode) {
    case 0:
        state.canSetBegin = !inside && beginCheck1;
        break;
    case 1:
        if (!inside) {
            state.canSetBegin = beginCheck1;
            state.canSetEnd = pos - m_markBegin > CCutRegion::minCutLength;
        }
        break;
    case 2:
        if (inside) {
            state.canSetBegin = beginCheck2();
            state.canSetEnd = endCheck2();
        } else {
            const bool overlap = cutOverlapsWindow();
            if (overlap && pos < cut.begin)
                state.canSetBegin = beginCheck2();
            else if (!overlap)
                state.canSetBegin = beginCheck1;
            state.canSetEnd = overlap && pos > cut.begin && endCheck2();
        }
        break;
    }
}

bool CStreamViewCtrl::cutOverlapsWindow() const
{
    const CCutRegion& cut = m_document->cutRegion();
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    return cut.end > model.visibleStart() && cut.begin < model.visibleEnd();
}

bool CStreamViewCtrl::applyLengthRule(int64_t& t, Edge edge, bool messages) const
{
    const CCutRegion& cut = m_document->cutRegion();
    const int64_t length = edge == Edge::Begin ? cut.end - t : t - cut.begin;
    auto limitTo = [&](int64_t limit) {
        t = edge == Edge::Begin ? cut.end - limit : cut.begin + limit;
    };
    if (length > CCutRegion::maxCutLength) {
        limitTo(CCutRegion::maxCutLength);
        if (messages)
            ErrorBoxRes(m_hWnd, IDS_RINGTONE_TOO_LARGE,
                        static_cast<int>(CCutRegion::maxCutLength / 1000));
    } else if (length < CCutRegion::minCutLength) {
        limitTo(CCutRegion::minCutLength);
        if (messages)
            ErrorBoxRes(m_hWnd, IDS_RINGTONE_TOO_SMALL);
    }
    return t != (edge == Edge::Begin ? cut.begin : cut.end);
}

// Commands ----------------------------------------------------------------

BOOL CStreamViewCtrl::OnCommand(WPARAM wParam, LPARAM)
{
    const UINT command = LOWORD(wParam);
    switch (command) {
    case ID_VIEW_ZOOM_IN:
    case ID_VIEW_ZOOM_OUT:
        zoom(command == ID_VIEW_ZOOM_IN);
        return TRUE;
    case ID_VIEW_PLAY_CUT:
        playCut();
        return TRUE;
    case ID_VIEW_PLAY:
        playFromPosition();
        return TRUE;
    case ID_VIEW_STOP:
        stopPlaying();
        return TRUE;
    case ID_VIEW_CUT_BEGIN:
        setCutBegin();
        return TRUE;
    case ID_VIEW_CUT_END:
        setCutEnd();
        return TRUE;
    case ID_VIEW_FADE_IN:
    case ID_VIEW_FADE_OUT:
    case ID_VIEW_FADES_REMOVE:
        setFade(command);
        return TRUE;
    case ID_VIEW_SCROLL_LEFT:
    case ID_VIEW_SCROLL_RIGHT:
        scrollBy(command == ID_VIEW_SCROLL_LEFT);
        return TRUE;
    case ID_PLAY_UNITY_GAIN:
        m_player->setGain(1.0);
        return TRUE;
    case ID_PLAY_NORMALIZED:
        if (m_document)
            m_player->setGain(m_document->getGain());
        return TRUE;
    default:
        return FALSE;
    }
}

void CStreamViewCtrl::zoom(bool in)
{
    if (in)
        m_positionLayer.zoomIn();
    else
        m_positionLayer.zoomOut();
    m_positionLayer.setPosition(m_positionLayer.getPos());
    Invalidate(FALSE);
    updateTimerPeriod();
    notifyParent();
}

void CStreamViewCtrl::scrollBy(bool left)
{
    const CPoint zone = left ? kScrollLeftPoint : kScrollRightPoint;
    m_positionLayer.hitTest(zone.x, zone.y);
    if (isPlaying()) {
        stopPlaying();
        if (m_positionLayer.getPos() < m_positionLayer.model().streamEnd() - 1)
            playFromPosition();
    }
    Invalidate(FALSE);
    notifyParent();
}

void CStreamViewCtrl::setCutBegin()
{
    if (!m_document)
        return;
    const int64_t pos = m_positionLayer.getPos();
    CCutRegion& cut = m_document->cutRegion();
    const bool inside = cut.contains(pos);
    const int64_t length = m_document->getDurationMs();
    if (m_markMode == 0 || (m_markMode == 1 && !inside)) {
        m_markBegin = pos;
        if (m_markBegin + CCutRegion::minCutLength <= length) {
            m_positionLayer.rememberPos();
            m_positionLayer.m_showMarker = true;
            m_document->resetCut();
            m_markMode = 1;
        }
    } else if (m_markMode == 2) {
        const bool overlap = cutOverlapsWindow();
        if (inside || (overlap && pos < cut.begin)) {
            int64_t t = pos;
            if (applyLengthRule(t, Edge::Begin, true)) {
                cut.setBegin(t);
                cutChanged();
            }
        } else if (!overlap && pos + CCutRegion::minCutLength <= length) {
            // The moved cut must stay a valid cut inside the stream.
            moveCut(cut, pos, std::min(pos + (cut.end - cut.begin), length));
            cutChanged();
        }
    }
    refreshFromDocument(false);
    Invalidate(FALSE);
}

void CStreamViewCtrl::setCutEnd()
{
    if (!m_document)
        return;
    const int64_t pos = m_positionLayer.getPos();
    CCutRegion& cut = m_document->cutRegion();
    const bool inside = cut.contains(pos);
    if (m_markMode == 1 && !inside) {
        stopPlaying();
        m_positionLayer.m_showMarker = false;
        m_markEnd = pos;
        if (m_markEnd < m_markBegin)
            std::swap(m_markBegin, m_markEnd);
        if (m_markEnd - m_markBegin >= CCutRegion::minCutLength)
            m_document->setCut(m_markBegin, m_markEnd);
        else
            ErrorBoxRes(m_hWnd, IDS_RINGTONE_TOO_SMALL);
        m_markMode = 0;
    } else if (m_markMode == 2 && (inside || pos > cut.begin)) {
        int64_t t = pos;
        if (applyLengthRule(t, Edge::End, true)) {
            cut.setEnd(t);
            cutChanged();
        }
    }
    refreshFromDocument(false);
    Invalidate(FALSE);
}

void CStreamViewCtrl::setFade(UINT command)
{
    if (!m_document)
        return;
    const int64_t pos = m_positionLayer.getPos();
    CCutRegion& cut = m_document->cutRegion();
    if (!cut.contains(pos))
        return;
    if (command == ID_VIEW_FADE_IN)
        cut.setFadeIn(pos - cut.begin);
    else if (command == ID_VIEW_FADE_OUT)
        cut.setFadeOut(cut.end - pos);
    else
        cut.clearFades();
    cutChanged();
    m_positionLayer.model().setCut(cut);
    Invalidate(FALSE);
    notifyParent();
}

// Mouse and keyboard ------------------------------------------------------

bool CStreamViewCtrl::inModelRect(CPoint point) const
{
    const RECT& rect = m_positionLayer.model().rect();
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top &&
           point.y <= rect.bottom;
}

bool CStreamViewCtrl::pointInCut(int x) const
{
    if (!m_cut)
        return false;
    const int64_t t = m_positionLayer.model().pixelToTime(x);
    return m_cut->begin <= t && t <= m_cut->end && m_positionLayer.isTimeVisible(m_cut->begin) &&
           m_positionLayer.isTimeVisible(m_cut->end);
}

void CStreamViewCtrl::startStreamDrag()
{
    m_streamDragging = true;
    setCursor(ViewCursor::StreamDrag);
}

void CStreamViewCtrl::onLeftButtonDown(CPoint point)
{
    if (m_empty || m_cutDragging)
        return;
    m_cutModified = false;
    switch (m_positionLayer.hitTest(point.x, point.y)) {
    case CStreamProgressCtrl::HitSlider:
        if (isPlaying()) {
            stopPlaying();
            playFromPosition();
        }
        Invalidate(FALSE);
        break;
    case CStreamProgressCtrl::HitPan: {
        const CStreamProgressCtrlBase& model = m_positionLayer.model();
        if (isPlaying() || !m_cut) {
            if (isPlaying()) {
                stopPlaying();
                m_resumeAfterDrag = true;
            }
            startStreamDrag();
        } else if (m_overEdge) {
            m_resizing = true;
            m_resizeMin = std::max(model.streamStart(), m_cut->end - CCutRegion::maxCutLength);
            m_resizeMax = std::min(model.streamEnd(), m_cut->begin + CCutRegion::maxCutLength);
            setCursor(ViewCursor::CutResize);
        } else if (pointInCut(point.x)) {
            m_cutDragging = true;
            setCursor(ViewCursor::CutDrag);
            m_dragOffset = model.pixelToTime(point.x) - m_cut->begin;
            m_dragBegin = m_cut->begin;
            m_dragEnd = m_cut->end;
        } else {
            startStreamDrag();
        }
        SetCapture();
        Invalidate(FALSE);
        break;
    }
    default:
        break;
    }
}

void CStreamViewCtrl::onMouseMove(CPoint point)
{
    if (m_empty || (m_document && m_document->isBusy()))
        return;
    if (anyDrag() && ::GetCapture() != m_hWnd) {
        endDrag(true, point);
        return;
    }
    m_overEdge = false;
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    if (m_cutDragging && m_cut) {
        const int64_t length = m_cut->end - m_cut->begin;
        int64_t begin = model.pixelToTime(point.x) - m_dragOffset;
        int64_t end = begin + length;
        if (begin < model.streamStart()) {
            begin = model.streamStart();
            end = begin + length;
        } else if (end > model.streamEnd()) {
            end = model.streamEnd();
            begin = end - length;
        }
        if (begin >= model.streamStart() && end <= model.streamEnd()) {
            moveCut(*m_cut, begin, end);
            m_cutModified = true;
            m_positionLayer.model().setCut(*m_cut);
            Invalidate(TRUE);
        }
        setCursor(ViewCursor::CutDrag);
    } else if (m_resizing && m_cut) {
        setCursor(ViewCursor::CutResize);
        m_overEdge = true;
        const Edge edge = m_resizeLeftEdge ? Edge::Begin : Edge::End;
        int64_t t = model.pixelToTime(point.x);
        t = edge == Edge::Begin ? std::max(t, m_resizeMin) : std::min(t, m_resizeMax);
        if (applyLengthRule(t, edge, false)) {
            if (edge == Edge::Begin)
                m_cut->setBegin(t);
            else
                m_cut->setEnd(t);
            m_cutModified = true;
            m_positionLayer.model().setCut(*m_cut);
            Invalidate(TRUE);
        }
    } else if (m_streamDragging) {
        setCursor(ViewCursor::StreamDrag);
        if (m_positionLayer.panTo(point.x, point.y))
            Invalidate(FALSE);
    } else if (inModelRect(point)) {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        const bool cutShown = m_cut && m_positionLayer.cutPixelRect(left, top, right, bottom);
        if (cutShown && std::abs(point.x - left) < m_skin.px(kEdgeHoverDistance)) {
            m_resizeLeftEdge = true;
            m_overEdge = true;
            setCursor(ViewCursor::CutResize);
        } else if (cutShown && std::abs(point.x - right) < m_skin.px(kEdgeHoverDistance)) {
            m_resizeLeftEdge = false;
            m_overEdge = true;
            setCursor(ViewCursor::CutResize);
        } else {
            setCursor(pointInCut(point.x) ? ViewCursor::CutOver : ViewCursor::StreamOver);
        }
    } else if (!m_sliderRect.PtInRect(point)) {
        setArrowCursor();
    }
    if (!anyDrag() && !m_overEdge) {
        m_overSlider = m_sliderRect.PtInRect(point) != FALSE;
        if (m_overSlider)
            setCursor(ViewCursor::SliderSet);
    }
}

void CStreamViewCtrl::onLeftButtonUp(CPoint point)
{
    if (m_empty)
        return;
    // Ended even while playing: a looped cut may have restarted during the
    // drag, and the capture must not outlive the button.
    if (anyDrag())
        endDrag(false, point);
    if (m_resumeAfterDrag) {
        m_resumeAfterDrag = false;
        playFromPosition();
    }
    notifyParent();
}

void CStreamViewCtrl::endDrag(bool cancel, CPoint point)
{
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    if (m_cutDragging && m_cut) {
        if (m_cut->begin < model.streamStart() || m_cut->end > model.streamEnd())
            cancel = true;
        if (cancel)
            moveCut(*m_cut, m_dragBegin, m_dragEnd);
    }
    m_positionLayer.endPan();
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const bool wasCutDrag = m_cutDragging;
    m_streamDragging = m_cutDragging = m_resizing = false;
    if (m_cutModified && m_cut) {
        if (!cancel)
            cutChanged();
        refreshFromDocument(false);
        m_cutModified = false;
    } else if (wasCutDrag && cancel) {
        m_positionLayer.model().setCut(m_cut ? *m_cut : CCutRegion());
        Invalidate(TRUE);
    }

    if (inModelRect(point)) {
        const int64_t t = model.pixelToTime(point.x);
        const bool overCut = m_cut && m_cut->begin <= t && t <= m_cut->end;
        setCursor(overCut ? ViewCursor::CutOver : ViewCursor::StreamOver);
    } else if (m_sliderRect.PtInRect(point)) {
        setCursor(ViewCursor::SliderSet);
    } else {
        setArrowCursor();
    }
}

bool CStreamViewCtrl::takeKey(const MSG& msg)
{
    return msg.message == WM_KEYDOWN && onKeyDown(static_cast<UINT>(msg.wParam));
}

bool CStreamViewCtrl::onKeyDown(UINT key)
{
    if (m_focusByMouse) {
        m_focusByMouse = false;
        Invalidate(FALSE);
    }
    if (key == VK_ESCAPE && m_cutDragging) {
        CPoint point;
        ::GetCursorPos(&point);
        ScreenToClient(&point);
        endDrag(true, point);
        return true;
    }
    // Combinations with Ctrl or Alt belong to the host.
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    const int64_t pos = m_positionLayer.getPos();
    // A step is a share of what is visible, so it follows the zoom.
    const int64_t step =
        std::max<int64_t>(1, (model.visibleEnd() - model.visibleStart()) / (shift ? 10 : 100));
    switch (key) {
    case VK_LEFT:
        moveTo(pos - step);
        return true;
    case VK_RIGHT:
        moveTo(pos + step);
        return true;
    case VK_HOME:
        moveTo(model.streamStart());
        return true;
    case VK_END:
        moveTo(model.streamEnd() - 1);
        return true;
    case VK_SPACE:
        if (shift)
            break;
        runCommand(isPlaying() ? ID_VIEW_STOP : ID_VIEW_PLAY);
        return true;
    }
    for (const KeyCommand& entry : kKeyCommands) {
        if (entry.key == key &&
            (entry.shift == Shift::Either || (entry.shift == Shift::With) == shift)) {
            runCommand(entry.command);
            return true;
        }
    }
    return false;
}

void CStreamViewCtrl::moveTo(int64_t t)
{
    if (m_empty || (m_document && m_document->isBusy()) || anyDrag())
        return;
    CStreamProgressCtrlBase& model = m_positionLayer.model();
    t = std::clamp(t, model.streamStart(), model.streamEnd() - 1);
    if (t < model.visibleStart())
        model.scroll(t - model.visibleStart());
    else if (t >= model.visibleEnd())
        model.scroll(t - model.visibleEnd() + 1);
    m_positionLayer.setPosition(t);
    // As a click in the slider: playback goes on from the new position.
    if (isPlaying()) {
        stopPlaying();
        playFromPosition();
    }
    Invalidate(FALSE);
    notifyParent();
}

// A key does what its button does, and only when the button could.
void CStreamViewCtrl::runCommand(UINT command)
{
    if (anyDrag())
        return;
    CommandState state;
    if (m_document)
        m_document->fillCommandState(state);
    fillCommandState(state);
    if (CommandEnabled(command, state))
        OnCommand(MAKEWPARAM(command, 1), 0);
}

void CStreamViewCtrl::onMouseWheel(int delta)
{
    if (isPlaying())
        return;
    CStreamProgressCtrlBase& model = m_positionLayer.model();
    const int64_t shift = delta <= 0 ? model.scrollRight(25) : model.scrollLeft(25);
    m_positionLayer.setPosition(m_positionLayer.getPos() + shift);
    Invalidate(FALSE);
    notifyParent();
}

// Playback ----------------------------------------------------------------

bool CStreamViewCtrl::isPlaying()
{
    CSingleLock lock(&m_lock, TRUE);
    return m_playing;
}

void CStreamViewCtrl::playFromPosition()
{
    if (isPlaying() || !m_document || m_document->getDurationMs() <= 0)
        return;
    CStreamProgressCtrlBase& model = m_positionLayer.model();
    int64_t pos = m_positionLayer.getPos();
    if (pos >= model.streamEnd() - 1) {
        model.moveWindowToStreamStart();
        m_positionLayer.setPosition(model.streamStart());
        pos = model.streamStart();
        Invalidate(TRUE);
    }
    m_player->setGain(m_document->getGain());
    m_lastClock = wallClock();
    m_playEnd = m_document->getDurationMs();
    {
        CSingleLock lock(&m_lock, TRUE);
        m_playingCut = false;
        m_endPending = false;
        m_playing =
            m_player->play(m_document->getWavPath(), pos, m_playEnd, &m_document->cutRegion());
    }
    notifyParent();
}

void CStreamViewCtrl::playCut()
{
    // Stopped before the lock is taken: the player's thread may be waiting
    // for it inside onPlayingFinished, and stop waits for that thread.
    stopPlaying();
    if (!m_document)
        return;
    CSingleLock lock(&m_lock, TRUE);
    const CCutRegion cut = m_document->cutRegion();
    if (!cut.valid)
        return;
    if (!m_positionLayer.isTimeVisible(cut.begin))
        m_positionLayer.model().scroll(cut.begin - m_positionLayer.getPos());
    m_positionLayer.setPosition(cut.begin);
    m_player->setGain(m_document->getGain());
    m_lastClock = wallClock();
    m_playEnd = cut.end;
    m_playingCut = true;
    m_endPending = false;
    m_playing =
        m_player->play(m_document->getWavPath(), cut.begin, cut.end, &m_document->cutRegion());
    lock.Unlock();
    Invalidate(FALSE);
    notifyParent();
}

void CStreamViewCtrl::stopPlaying()
{
    CSingleLock lock(&m_lock, TRUE);
    m_endPending = false;
    if (!m_playing)
        return;
    // The player's thread may need this lock to finish.
    lock.Unlock();
    m_player->stop();
    lock.Lock();
    m_playing = m_playingCut = false;
    m_endPending = false;
    lock.Unlock();
    Invalidate(TRUE);
    notifyParent();
}

void CStreamViewCtrl::onPlayingFinished(bool error)
{
    CSingleLock lock(&m_lock, TRUE);
    if (!m_playing)
        return;
    m_repeatPending = m_playingCut && !error;
    m_endPending = true;
    m_playing = m_playingCut = false;
    // The rest waits for the window's own thread: the user-interface thread
    // may be blocked in stop, waiting for this thread.
    PostMessage(WM_PLAYBACK_ENDED, error ? 1 : 0);
}

void CStreamViewCtrl::onPlaybackEnded(bool error)
{
    Invalidate(TRUE);
    notifyParent();
    CSingleLock lock(&m_lock, TRUE);
    // A stop or a new start since the end was reported leaves it stale: the
    // position, the error and the repeat would act on what runs now.
    if (!m_endPending)
        return;
    m_endPending = false;
    const bool repeat = m_repeatPending;
    lock.Unlock();
    if (error) {
        ErrorBoxRes(m_hWnd, IDS_ERROR_STARTING_PLAYING);
        return;
    }
    m_positionLayer.ensurePosVisible(m_playEnd);
    Invalidate(TRUE);
    if (repeat)
        PostMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_PLAY_CUT, 0));
}

void CStreamViewCtrl::updateTimerPeriod()
{
    const CStreamProgressCtrlBase& model = m_positionLayer.model();
    const int64_t length = model.visibleEnd() - model.visibleStart();
    if (length == m_lastVisibleLength)
        return;
    m_lastVisibleLength = length;
    const int64_t seconds = length / 1000;
    m_timerPeriod = seconds >= 61 ? static_cast<int32_t>(seconds) : 60;
    if (m_document)
        m_document->setVisibleSpan(static_cast<uint32_t>(m_timerPeriod));
    if (m_hWnd) {
        KillTimer(cursorTimer);
        SetTimer(cursorTimer, static_cast<UINT>(m_timerPeriod));
    }
}

void CStreamViewCtrl::onCursorTimer()
{
    if (!isPlaying() || m_streamDragging)
        return;
    const int64_t now = wallClock();
    const int64_t delta = now - m_lastClock;
    m_lastClock += delta;
    if (m_positionLayer.ensurePosVisible(m_positionLayer.getPos() + delta))
        Invalidate(TRUE);
    else
        moveCursorFast();
}

void CStreamViewCtrl::notifyParent()
{
    if (m_parent && m_hWnd)
        ::SendMessageW(m_parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), notifyChanged),
                       reinterpret_cast<LPARAM>(m_hWnd));
    announceChanges();
}

// Screen reader ------------------------------------------------------------

CString CStreamViewCtrl::accessibleValue() const
{
    if (m_empty)
        return {};
    CString text;
    text.Format(loadedString(IDS_ACC_POSITION_VALUE),
                clockText(m_positionLayer.getPos(), false).GetString(),
                clockText(m_positionLayer.model().streamEnd(), false).GetString());
    return text;
}

CString CStreamViewCtrl::accessibleDescription() const
{
    if (m_empty || !m_document)
        return {};
    CString text;
    if (m_markMode == 1) {
        text.Format(loadedString(IDS_ACC_CUT_MARKED), clockText(m_markBegin, true).GetString());
        return text;
    }
    const CCutRegion& cut = m_document->cutRegion();
    if (!cut.valid)
        return loadedString(IDS_ACC_NO_CUT);
    text.Format(loadedString(IDS_ACC_CUT), clockText(cut.begin, true).GetString(),
                clockText(cut.end, true).GetString());
    // Fades in seconds and tenths; the string puts the decimal sign.
    if (cut.fadeIn > 0)
        text.AppendFormat(loadedString(IDS_ACC_FADE_IN), static_cast<int>(cut.fadeIn / 1000),
                          static_cast<int>(cut.fadeIn % 1000 / 100));
    if (cut.fadeOut > 0)
        text.AppendFormat(loadedString(IDS_ACC_FADE_OUT), static_cast<int>(cut.fadeOut / 1000),
                          static_cast<int>(cut.fadeOut % 1000 / 100));
    return text;
}

void CStreamViewCtrl::describe(long child, AccessibleFacts& facts) const
{
    // The two texts painted above the waveform.
    if (child != CHILDID_SELF) {
        facts.role = ROLE_SYSTEM_STATICTEXT;
        facts.state = STATE_SYSTEM_READONLY | (m_empty ? STATE_SYSTEM_INVISIBLE : 0);
        facts.name = child == 1 ? positionText(m_positionLayer.getPos())
                                : trackLengthText(m_positionLayer.model().cut());
        return;
    }
    facts.name.LoadString(IDS_ACC_STREAM_NAME);
    facts.role = ROLE_SYSTEM_SLIDER;
    facts.value = accessibleValue();
    facts.description = accessibleDescription();
}

// A change of the position, the cut or a fade is heard as a new value; a
// moving playback cursor is not (it would drown everything else).
void CStreamViewCtrl::announceChanges()
{
    const CString value = accessibleValue();
    const CString description = accessibleDescription();
    if (value == m_announcedValue && description == m_announcedDescription)
        return;
    const bool described = description != m_announcedDescription;
    m_announcedValue = value;
    m_announcedDescription = description;
    CAccessible::raise(m_hWnd, EVENT_OBJECT_VALUECHANGE);
    if (described)
        CAccessible::raise(m_hWnd, EVENT_OBJECT_DESCRIPTIONCHANGE);
}

// Messages ----------------------------------------------------------------

LRESULT CStreamViewCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        CPaintDC dc(this, PrintTarget(msg, wParam));
        composeFrame(dc);
        return 0;
    }
    case WM_ERASEBKGND:
        return TRUE;
    case WM_SIZE: {
        const LRESULT result = CWnd::WindowProc(msg, wParam, lParam);
        layout();
        return result;
    }
    case WM_SETCURSOR:
        ::SetCursor(m_currentCursor);
        return TRUE;
    case WM_LBUTTONDOWN:
        m_focusByMouse = true;
        SetFocus();
        onLeftButtonDown(CPoint(lParam));
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(CPoint(lParam));
        return 0;
    case WM_LBUTTONUP:
        onLeftButtonUp(CPoint(lParam));
        return 0;
    // The second press of a double click and the right button do nothing.
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return 0;
    case WM_MOUSEWHEEL:
        onMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_KEYDOWN:
        if (onKeyDown(static_cast<UINT>(wParam)))
            return 0;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        Invalidate(FALSE);
        break;
    case WM_KILLFOCUS:
        m_focusByMouse = false;
        Invalidate(FALSE);
        break;
    case WM_GETOBJECT:
        if (const LRESULT answer = m_accessible.answer(m_hWnd, wParam, lParam))
            return answer;
        break;
    case WM_TIMER:
        if (wParam == cursorTimer) {
            onCursorTimer();
            return 0;
        }
        break;
    case WM_PLAYBACK_ENDED:
        onPlaybackEnded(wParam != 0);
        return 0;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
