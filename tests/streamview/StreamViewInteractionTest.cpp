#include "StreamViewFixture.h"

#include "support/MessageBoxWatcher.h"

#include <set>

namespace {

using namespace SkinGeometry;

constexpr int bandY = (markTop + markBottom) / 2;

class StreamViewInteraction : public StreamViewTest {
protected:
    // Presses the left button in the band at x, moves it to each of the
    // points in turn and lets it go at the last.
    void drag(int x, std::initializer_list<int> through)
    {
        mouse(WM_MOUSEMOVE, x, bandY);
        mouse(WM_LBUTTONDOWN, x, bandY, MK_LBUTTON);
        for (int to : through)
            mouse(WM_MOUSEMOVE, x = to, bandY, MK_LBUTTON);
        mouse(WM_LBUTTONUP, x, bandY);
    }
};

// The pan threshold and direction of a drag on the stream: PositionLayer.HitTestOrderAndPanning.
TEST_F(StreamViewInteraction, DraggedCutKeepsLengthAndFadesStopsAtTheStreamEndAndEscapeRestoresIt)
{
    openSilence(60000);
    CCutRegion& cut = document.cutRegion();
    cut.setFadeIn(5000);
    cut.setFadeOut(5000);
    view.refreshFromDocument(false);
    const int inside = (pixelOf(cut.begin) + pixelOf(cut.end)) / 2;
    drag(inside, {inside - 10, inside - 20, inside - 30});
    EXPECT_LT(cut.begin, 10000);
    EXPECT_EQ(cut.end - cut.begin, 10000);
    EXPECT_EQ(cut.fadeIn, 5000);
    EXPECT_EQ(cut.fadeOut, 5000) << "touching fades survive a drag to earlier times";

    const CCutRegion before = cut;
    mouse(WM_MOUSEMOVE, inside - 30, bandY);
    mouse(WM_LBUTTONDOWN, inside - 30, bandY, MK_LBUTTON);
    EXPECT_EQ(view.currentCursor(), view.cursorFor(ViewCursor::CutDrag));
    mouse(WM_MOUSEMOVE, width + 200, bandY, MK_LBUTTON);
    EXPECT_EQ(cut.end, model().streamEnd());
    EXPECT_EQ(cut.end - cut.begin, 10000);
    EXPECT_EQ(cut.fadeIn, 5000);
    EXPECT_EQ(cut.fadeOut, 5000) << "and a drag to later times";
    view.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(cut, before);
    EXPECT_NE(GetCapture(), view.GetSafeHwnd());
    EXPECT_EQ(model().cut(), before) << "the painted cut is restored too";
}

TEST_F(StreamViewInteraction, CursorShowsWhatAPressWouldDoWhereThePointerIs)
{
    openSilence(60000);
    const int begin = pixelOf(document.cutRegion().begin);
    const int end = pixelOf(document.cutRegion().end);
    const struct {
        int x, y;
        HCURSOR cursor;
    } hovers[] = {
        {begin + 4, bandY, view.cursorFor(ViewCursor::CutResize)},
        {begin + 5, bandY, view.cursorFor(ViewCursor::CutOver)},
        {end - 4, bandY, view.cursorFor(ViewCursor::CutResize)},
        {end + 5, bandY, view.cursorFor(ViewCursor::StreamOver)},
        {300, sliderTop + 3, view.cursorFor(ViewCursor::SliderSet)},
        {300, 5, LoadCursorW(nullptr, IDC_ARROW)},
    };
    for (const auto& hover : hovers) {
        mouse(WM_MOUSEMOVE, hover.x, hover.y);
        EXPECT_NE(hover.cursor, nullptr);
        EXPECT_EQ(view.currentCursor(), hover.cursor) << hover.x << "," << hover.y;
    }
    std::set<HCURSOR> distinct;
    for (const auto& hover : hovers)
        distinct.insert(hover.cursor);
    EXPECT_EQ(distinct.size(), 5u) << "each gesture has a cursor of its own";
}

TEST_F(StreamViewInteraction, CutsUnderASecondAreRefusedOrStopAtASecondAndAnEndBeforeTheBeginSwaps)
{
    openSilence(60000);
    MessageBoxWatcher boxes;
    const CCutRegion before = document.cutRegion();
    clickSlider(pixelOf(before.end - 300));
    command(ID_VIEW_CUT_BEGIN);
    EXPECT_EQ(document.cutRegion().begin, before.end - 1000) << "a begin inside keeps one second";
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

    clickSlider(pixelOf(model().streamEnd() - 500));
    ASSERT_GT(pos() + 1000, model().streamEnd());
    EXPECT_FALSE(commandState().canSetBegin) << "a begin closer than a second to the end";
    command(ID_VIEW_CUT_BEGIN);
    EXPECT_EQ(view.markMode(), 0);
    EXPECT_FALSE(view.positionLayer().m_showMarker);
    EXPECT_EQ(boxes.texts().size(), 2u) << "silently";

    clickSlider(pixelOf(30000));
    const int64_t markedBegin = pos();
    EXPECT_TRUE(commandState().canSetBegin);
    command(ID_VIEW_CUT_BEGIN);
    ASSERT_EQ(view.markMode(), 1);
    EXPECT_TRUE(view.positionLayer().m_showMarker);
    clickSlider(pixelOf(markedBegin - 2000));
    const int64_t markedEnd = pos();
    ASSERT_NEAR(static_cast<double>(markedBegin - markedEnd), 2000.0, 150.0);
    EXPECT_FALSE(commandState().canSetEnd) << "the button stays disabled before the marked begin";
    command(ID_VIEW_CUT_END);
    const CCutRegion& cut = document.cutRegion();
    EXPECT_TRUE(cut.valid);
    EXPECT_EQ(cut.begin, markedEnd);
    EXPECT_EQ(cut.end, markedBegin);
    EXPECT_EQ(view.markMode(), 2);
    EXPECT_FALSE(view.positionLayer().m_showMarker);

    drag(pixelOf(cut.begin) + 1, {width - margin - 1});
    EXPECT_EQ(cut.end - cut.begin, 1000) << "resizing the begin toward the end";
    EXPECT_TRUE(cut.valid);
    EXPECT_EQ(boxes.texts().size(), 2u) << "silently";
}

} // namespace
