#pragma once

#include "Accessible.h"
#include "DC.h"
#include "Gdi.h"
#include "Sync.h"
#include "Wnd.h"
#include "import/DocumentView.h"
#include "playback/WavPlayer.h"
#include "view/CommandState.h"
#include "view/StreamProgressCtrl.h"
#include "view/StreamPainter.h"
#include "view/ViewSkin.h"
#include "widgets/BitmapDrawing.h"
#include "widgets/MemDC.h"

#include <array>
#include <memory>

class CStreamDocument;

// The waveform window of the editor: paints the stream of the document with
// its cut, lets the user position, pan, mark and drag the cut, and plays the
// stream or loops the cut. Every change is reported to the parent with a
// WM_COMMAND carrying notifyChanged. With the focus it takes keys (see
// onKeyDown) and shows a focus ring; a screen reader hears it as a slider
// whose value is the position and whose description is the cut.
class CStreamViewCtrl : public CWnd,
                        public CWavPlayerCallBack,
                        public IDocumentView,
                        private IAccessibleSource {
public:
    static constexpr WORD notifyChanged = 100;
    static constexpr UINT_PTR cursorTimer = 1;

    CStreamViewCtrl();
    ~CStreamViewCtrl() override;

    BOOL create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void setDocument(CStreamDocument* document) { m_document = document; }

    // The skin's lengths and pictures come scaled to the DPI.
    bool loadSkin(ISkinParser& skin, UINT dpi = kDesignDpi);
    bool applySkin();
    void placeWindow();
    int frameHeight() const { return m_skin.position.bottom - m_skin.position.top; }

    void refreshFromDocument(bool reset);
    void fillCommandState(CommandState& state) const;
    // A key-down message meant for the view (it has the focus, or a drag
    // holds the capture); true when the key did something here.
    bool takeKey(const MSG& msg);

    void playFromPosition();
    void playCut();
    void stopPlaying() override;
    bool isPlaying() override;
    void onPlayingFinished(bool error) override;

    void documentChanged(bool reset) override { refreshFromDocument(reset); }
    void commandStateChanged() override { notifyParent(); }
    int64_t getPosition() override { return m_positionLayer.getPos(); }

    const CStreamProgressCtrl& positionLayer() const { return m_positionLayer; }
    int markMode() const { return m_markMode; }
    int timerPeriod() const { return m_timerPeriod; }
    HCURSOR currentCursor() const { return m_currentCursor; }
    HCURSOR cursorFor(ViewCursor role) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    enum class Edge { Begin, End };

    // Painting.
    // The whole frame, composed off screen and copied to the target once.
    void composeFrame(CDC& target);
    // Makes what a frame is composed with, unless it is there for this size
    // and skin already.
    void prepareSurfaces(const CDC& target, int width, int height);
    void moveCursorFast();
    void layout();

    // Mouse and keyboard.
    void onLeftButtonDown(CPoint point);
    void onMouseMove(CPoint point);
    void onLeftButtonUp(CPoint point);
    // True when the key did something here; other keys go on to the dialog.
    bool onKeyDown(UINT key);
    void moveTo(int64_t t);
    void runCommand(UINT command);
    void onMouseWheel(int delta);
    void endDrag(bool cancel, CPoint point);
    bool anyDrag() const { return m_streamDragging || m_cutDragging || m_resizing; }
    bool inModelRect(CPoint point) const;
    // The time under x lies in the cut and both cut ends are visible.
    bool pointInCut(int x) const;
    void setCursor(ViewCursor role);
    void setArrowCursor();
    void startStreamDrag();

    // Commands.
    void zoom(bool in);
    void scrollBy(bool left);
    void setCutBegin();
    void setCutEnd();
    void setFade(UINT command);
    // Moves one edge of the document's cut to t within the length limits,
    // telling the user about a correction when messages is set; true when
    // the corrected t differs from the edge.
    bool applyLengthRule(int64_t& t, Edge edge, bool messages) const;
    bool cutOverlapsWindow() const;
    void setMarkMode(int mode);
    void cutChanged();

    // Screen reader.
    void describe(long child, AccessibleFacts& facts) const override;
    long accessibleParts() const override { return 2; }
    CString accessibleValue() const;
    CString accessibleDescription() const;
    void announceChanges();

    // Playback.
    void updateTimerPeriod();
    void onCursorTimer();
    void onPlaybackEnded(bool error);
    void notifyParent();

    CStreamProgressCtrl m_positionLayer;
    ViewSkin m_skin;
    // Kept from paint to paint, as making them costs more than composing a
    // frame. The back buffer holds the picture the window shows, so a cursor
    // move can be made there and only its strips copied to the window.
    CSkinBitmapDCs m_skinDCs;
    CTransparentBitmap m_cursor;
    CBitmapDC m_back;
    CBitmapDC m_savedStrip;
    int m_savedStripX = -1;

    CCutRegion* m_cut = nullptr;
    int m_markMode = 0;
    bool m_resumeAfterDrag = false;
    int64_t m_dragBegin = 0;
    int64_t m_dragEnd = 0;
    int64_t m_markBegin = 0;
    int64_t m_markEnd = 0;
    bool m_streamDragging = false;
    bool m_cutDragging = false;
    int64_t m_dragOffset = 0;
    int64_t m_resizeMin = 0;
    int64_t m_resizeMax = 0;
    std::array<HCURSOR, static_cast<size_t>(ViewCursor::Count)> m_builtinCursors{};
    bool m_resizing = false;
    bool m_resizeLeftEdge = false;
    bool m_overEdge = false;
    bool m_overSlider = false;
    bool m_cutModified = false;
    bool m_empty = true;
    HCURSOR m_arrowCursor;
    HCURSOR m_currentCursor;
    CRect m_sliderRect;
    CStreamDocument* m_document = nullptr;
    HWND m_parent = nullptr;
    CAccessible m_accessible{*this};
    // A click gives the focus without the ring, as the pointer shows where
    // the user is; the next key shows it.
    bool m_focusByMouse = false;
    // What a screen reader was last told, so it hears of changes only.
    CString m_announcedValue;
    CString m_announcedDescription;

    bool m_playing = false;
    bool m_playingCut = false;
    // An end reported by the player's thread waits for the window's thread;
    // a stop or a new start in between makes it stale.
    bool m_endPending = false;
    // The reported end was that of a cut, which starts again.
    bool m_repeatPending = false;
    int64_t m_lastClock = 0;
    int64_t m_playEnd = 0;
    int32_t m_timerPeriod = 62;
    int64_t m_lastVisibleLength = 0;
    std::unique_ptr<CWavPlayer> m_player;
    CCriticalSection m_lock;
};
