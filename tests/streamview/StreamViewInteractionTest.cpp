#include "StreamViewFixture.h"

#include "support/MessageBoxWatcher.h"

namespace {

using namespace SkinGeometry;

constexpr int bandY = (markTop + markBottom) / 2;

using StreamViewInteraction = StreamViewTest;

TEST_F(StreamViewInteraction, StreamDragOfTenPixelsDoesNothingAndElevenPans)
{
    openSilence(60000);
    command(ID_VIEW_ZOOM_IN);
    const int64_t start = model().visibleStart();
    ASSERT_GT(start, 0);
    const int from = width - margin - 20; // right of the cut
    ASSERT_GT(model().pixelToTime(from), document.cutRegion().end);
    mouse(WM_LBUTTONDOWN, from, bandY, MK_LBUTTON);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::StreamDrag));
    mouse(WM_MOUSEMOVE, from - 10, bandY, MK_LBUTTON);
    EXPECT_EQ(model().visibleStart(), start);
    const int64_t shift = model().pixelToTime(from) - model().pixelToTime(from - 11);
    mouse(WM_MOUSEMOVE, from - 11, bandY, MK_LBUTTON);
    EXPECT_EQ(model().visibleStart(), start + shift) << "dragging left shows later times";
    mouse(WM_LBUTTONUP, from - 11, bandY);
    EXPECT_NE(GetCapture(), view.GetSafeHwnd());
}

TEST_F(StreamViewInteraction, CutDraggedPastTheStreamEndStopsThereAndEscapeRestoresIt)
{
    openSilence(60000);
    const CCutRegion before = document.cutRegion();
    const int inside = (pixelOf(before.begin) + pixelOf(before.end)) / 2;
    mouse(WM_MOUSEMOVE, inside, bandY);
    mouse(WM_LBUTTONDOWN, inside, bandY, MK_LBUTTON);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::CutDrag));
    mouse(WM_MOUSEMOVE, width + 200, bandY, MK_LBUTTON);
    const CCutRegion& cut = document.cutRegion();
    EXPECT_EQ(cut.end, model().streamEnd());
    EXPECT_EQ(cut.end - cut.begin, before.end - before.begin);

    view.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(document.cutRegion(), before);
    EXPECT_NE(GetCapture(), view.GetSafeHwnd());
    EXPECT_EQ(model().cut(), before) << "the painted cut is restored too";
}

TEST_F(StreamViewInteraction, DraggedCutKeepsItsFadesAndTellsTheDocument)
{
    openSilence(60000);
    CCutRegion& cut = document.cutRegion();
    cut.setFadeIn(5000);
    cut.setFadeOut(5000);
    view.refreshFromDocument(false);
    const int inside = (pixelOf(cut.begin) + pixelOf(cut.end)) / 2;
    mouse(WM_MOUSEMOVE, inside, bandY);
    mouse(WM_LBUTTONDOWN, inside, bandY, MK_LBUTTON);
    for (int step = 1; step <= 30; ++step)
        mouse(WM_MOUSEMOVE, inside - step, bandY, MK_LBUTTON);
    mouse(WM_LBUTTONUP, inside - 30, bandY);
    EXPECT_LT(cut.begin, 10000);
    EXPECT_EQ(cut.end - cut.begin, 10000);
    EXPECT_EQ(cut.fadeIn, 5000);
    EXPECT_EQ(cut.fadeOut, 5000) << "touching fades survive a drag to earlier times";
}

TEST_F(StreamViewInteraction, HoveringFourPixelsFromACutEdgeOffersResizeAndFiveDoesNot)
{
    openSilence(60000);
    const int begin = pixelOf(document.cutRegion().begin);
    const int end = pixelOf(document.cutRegion().end);
    mouse(WM_MOUSEMOVE, begin + 4, bandY);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::CutResize));
    mouse(WM_MOUSEMOVE, begin + 5, bandY);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::CutOver));
    mouse(WM_MOUSEMOVE, end - 4, bandY);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::CutResize));
    mouse(WM_MOUSEMOVE, end + 5, bandY);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::StreamOver));
    mouse(WM_MOUSEMOVE, 300, sliderTop + 3);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::SliderSet));
    mouse(WM_MOUSEMOVE, 300, 5);
    EXPECT_EQ(view.currentCursor(), LoadCursorW(nullptr, IDC_ARROW));
    for (ViewCursor role : {ViewCursor::StreamOver, ViewCursor::StreamDrag, ViewCursor::CutOver,
                            ViewCursor::CutDrag, ViewCursor::CutResize, ViewCursor::SliderSet})
        EXPECT_NE(view.cursorFor(role), nullptr) << "built-in cursor " << static_cast<int>(role);
}

TEST_F(StreamViewInteraction, ResizingTheBeginTowardTheEndStopsAtOneSecondSilently)
{
    openSilence(60000);
    MessageBoxWatcher boxes;
    const CCutRegion& cut = document.cutRegion();
    const int begin = pixelOf(cut.begin);
    mouse(WM_MOUSEMOVE, begin + 1, bandY);
    mouse(WM_LBUTTONDOWN, begin + 1, bandY, MK_LBUTTON);
    mouse(WM_MOUSEMOVE, width - margin - 1, bandY, MK_LBUTTON);
    mouse(WM_LBUTTONUP, width - margin - 1, bandY);
    EXPECT_EQ(cut.end - cut.begin, 1000);
    EXPECT_TRUE(cut.valid);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(StreamViewInteraction, SetBeginCloserThanOneSecondToTheStreamEndDoesNothing)
{
    openSilence(1500); // too short for a default cut
    ASSERT_FALSE(document.cutRegion().valid);
    clickSlider(width - margin - 10);
    ASSERT_GT(pos() + 1000, 1500);
    CommandState state;
    view.fillCommandState(state);
    EXPECT_FALSE(state.canSetBegin);
    command(ID_VIEW_CUT_BEGIN);
    EXPECT_EQ(view.markMode(), 0);
    EXPECT_FALSE(view.positionLayer().m_showMarker);

    clickSlider(margin + 10);
    view.fillCommandState(state);
    EXPECT_TRUE(state.canSetBegin);
    command(ID_VIEW_CUT_BEGIN);
    EXPECT_EQ(view.markMode(), 1);
    EXPECT_TRUE(view.positionLayer().m_showMarker);
}

TEST_F(StreamViewInteraction, MarkingTheEndBeforeTheMarkedBeginSwapsThem)
{
    openSilence(60000);
    document.cutRegion().reset();
    view.refreshFromDocument(false);
    ASSERT_EQ(view.markMode(), 0);
    clickSlider(pixelOf(30000));
    const int64_t markedBegin = pos();
    command(ID_VIEW_CUT_BEGIN);
    ASSERT_EQ(view.markMode(), 1);

    clickSlider(pixelOf(markedBegin - 2000));
    const int64_t markedEnd = pos();
    ASSERT_NEAR(static_cast<double>(markedBegin - markedEnd), 2000.0, 150.0);
    CommandState state;
    view.fillCommandState(state);
    EXPECT_FALSE(state.canSetEnd) << "the button stays disabled before the marked begin";
    command(ID_VIEW_CUT_END);
    const CCutRegion& cut = document.cutRegion();
    EXPECT_TRUE(cut.valid);
    EXPECT_EQ(cut.begin, markedEnd);
    EXPECT_EQ(cut.end, markedBegin);
    EXPECT_EQ(view.markMode(), 2);
    EXPECT_FALSE(view.positionLayer().m_showMarker);
}

TEST_F(StreamViewInteraction, TooShortMarkIsRefusedAndSetBeginInsideKeepsOneSecond)
{
    openSilence(60000);
    MessageBoxWatcher boxes;
    const CCutRegion before = document.cutRegion();
    clickSlider(pixelOf(before.end - 300));
    command(ID_VIEW_CUT_BEGIN);
    EXPECT_EQ(document.cutRegion().begin, before.end - 1000);
    EXPECT_EQ(document.cutRegion().end, before.end);
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_STREQ(boxes.texts()[0], L"The ringtone cannot be smaller than one second.");

    document.cutRegion().reset();
    view.refreshFromDocument(false);
    clickSlider(pixelOf(30000));
    command(ID_VIEW_CUT_BEGIN);
    clickSlider(pixelOf(30000) + 2);
    command(ID_VIEW_CUT_END);
    EXPECT_FALSE(document.cutRegion().valid);
    EXPECT_EQ(view.markMode(), 0);
    EXPECT_EQ(boxes.texts().size(), 2u);
}

TEST_F(StreamViewInteraction, WheelTowardTheUserScrollsToLaterTimes)
{
    openSilence(60000);
    command(ID_VIEW_ZOOM_IN);
    command(ID_VIEW_ZOOM_IN);
    command(ID_VIEW_SCROLL_LEFT);
    command(ID_VIEW_SCROLL_LEFT);
    const int64_t start = model().visibleStart();
    const int pixel = view.positionLayer().posPixel();
    view.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_GT(model().visibleStart(), start);
    EXPECT_NEAR(view.positionLayer().posPixel(), pixel, 1) << "the position keeps its pixel";
    view.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(model().visibleStart(), start);
}

TEST_F(StreamViewInteraction, KeysOtherThanEscapeAreConsumedWithoutEffect)
{
    openSilence(60000);
    const CCutRegion before = document.cutRegion();
    const int64_t start = model().visibleStart();
    for (WPARAM key : {WPARAM{VK_LEFT}, WPARAM{VK_SPACE}, WPARAM{'A'}, WPARAM{VK_ESCAPE}})
        EXPECT_EQ(view.SendMessage(WM_KEYDOWN, key, 0), 0);
    EXPECT_EQ(document.cutRegion(), before);
    EXPECT_EQ(model().visibleStart(), start);
}

TEST_F(StreamViewInteraction, ChangesAreReportedToTheParent)
{
    parent.commands.clear();
    openSilence(60000);
    command(ID_VIEW_ZOOM_IN);
    const std::pair<int, int> changed{LOWORD(999999), CStreamViewCtrl::notifyChanged};
    EXPECT_NE(std::find(parent.commands.begin(), parent.commands.end(), changed),
              parent.commands.end());
    CommandState state;
    view.fillCommandState(state);
    EXPECT_TRUE(state.canZoomOut);
    EXPECT_FALSE(state.atStreamEnd);
}

} // namespace
