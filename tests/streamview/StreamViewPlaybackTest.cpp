#include "StreamViewFixture.h"

#include "support/AudioFixtures.h"
#include "support/MessageBoxWatcher.h"

namespace {

using namespace SkinGeometry;

using StreamViewPlayback = StreamViewTest;

TEST_F(StreamViewPlayback, TimerPeriodFollowsTheVisibleLengthInSeconds)
{
    openSilence(120000);
    EXPECT_EQ(view.timerPeriod(), 120);
    command(ID_VIEW_ZOOM_IN);
    command(ID_VIEW_ZOOM_IN);
    ASSERT_EQ(model().visibleEnd() - model().visibleStart(), 30000);
    EXPECT_EQ(view.timerPeriod(), 60);
}

TEST_F(StreamViewPlayback, CursorRunsWithTheClockPagesForwardAndEndsOnTheLastMillisecond)
{
    openSilence(120000);
    command(ID_VIEW_ZOOM_IN);
    command(ID_VIEW_ZOOM_IN);
    const int64_t start = model().visibleStart();
    const int64_t end = model().visibleEnd();
    ASSERT_EQ(end - start, 30000);
    clickSlider(pixelOf(end - 500));
    const int64_t from = pos();
    ASSERT_GT(from, end - 1000);

    const ULONGLONG started = GetTickCount64();
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(view.isPlaying());
    ASSERT_TRUE(pumpUntil([&] { return model().visibleStart() != start; }));
    const int64_t elapsed = static_cast<int64_t>(GetTickCount64() - started);
    // Past the window's end the window pages forward by 90 % of its length.
    EXPECT_EQ(model().visibleStart(), start + 27000);
    EXPECT_GE(pos(), end);
    EXPECT_LE(pos() - from, elapsed) << "the cursor ran ahead of the clock";
    command(ID_VIEW_STOP);

    // A playback that ends by itself leaves the cursor on the last millisecond.
    while (model().visibleEnd() < model().streamEnd())
        command(ID_VIEW_SCROLL_RIGHT);
    clickSlider(pixelOf(model().streamEnd() - 1000));
    ASSERT_LT(model().streamEnd() - pos(), 1100);
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(pumpUntil([&] { return view.finished == 1 && !view.isPlaying(); }));
    EXPECT_EQ(pos(), model().streamEnd() - 1);
}

TEST_F(StreamViewPlayback, CursorMovesLeaveTheWindowAsAWholeFrameShowsIt)
{
    // An opaque cursor, so that every move shows.
    constexpr COLORREF cursor = RGB(0, 120, 255);
    constexpr int cursorWidth = 5;
    skinBitmap(L"bitmap_curpos", cursor, cursorWidth, height);
    ASSERT_TRUE(view.loadSkin(skin));
    view.applySkin();
    openSilence(120000);
    // 30 seconds in view, about 50 ms a pixel; the window pages after 2.
    command(ID_VIEW_ZOOM_IN);
    command(ID_VIEW_ZOOM_IN);
    clickSlider(pixelOf(model().visibleEnd() - 2000));
    // The test sends the timer's messages itself, between its pictures.
    view.KillTimer(CStreamViewCtrl::cursorTimer);
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(view.isPlaying());

    int nearMoves = 0;
    int farMoves = 0;
    int pages = 0;
    int64_t windowStart = model().visibleStart();
    int previous = view.positionLayer().posPixel();
    for (int tick = 0; tick < 16; ++tick) {
        Sleep(tick % 2 == 0 ? 400 : 60);
        view.SendMessage(WM_TIMER, CStreamViewCtrl::cursorTimer);
        const Picture screen = CaptureClientArea(view.GetSafeHwnd());
        const Picture frame = capture();
        const int x = view.positionLayer().posPixel();
        if (model().visibleStart() != windowStart) {
            windowStart = model().visibleStart();
            ++pages;
        } else if (std::abs(x - previous) >= cursorWidth) {
            ++farMoves;
        } else if (x != previous) {
            ++nearMoves;
        }
        previous = x;
        EXPECT_EQ(screen.at(x, markTop), cursor) << "tick " << tick;
        // A cursor move leaves the position text as it was.
        for (int y = 0; y < positionTextY; ++y)
            for (int column = 0; column < width; ++column)
                ASSERT_EQ(screen.at(column, y), frame.at(column, y))
                    << "tick " << tick << " at " << column << "," << y;
    }
    command(ID_VIEW_STOP);
    EXPECT_GT(nearMoves, 0);
    EXPECT_GT(farMoves, 0);
    EXPECT_GT(pages, 0);
}

TEST_F(StreamViewPlayback, LoopingCutRestartsUntilStopped)
{
    openSilence(2400); // the default cut is 600 to 1800 ms
    ASSERT_TRUE(document.cutRegion().valid);
    command(ID_VIEW_PLAY_CUT);
    ASSERT_TRUE(view.isPlaying());
    EXPECT_EQ(pos(), document.cutRegion().begin);
    ASSERT_TRUE(pumpUntil([&] { return view.finished >= 2 && view.isPlaying(); }))
        << "the cut ended " << view.finished << " times";
    command(ID_VIEW_STOP);
    EXPECT_FALSE(view.isPlaying());
    PumpMessages();
    EXPECT_FALSE(view.isPlaying()) << "a stopped loop does not start again";
}

TEST_F(StreamViewPlayback, PlayingAtTheStreamEndRewindsToTheStart)
{
    openSilence(60000);
    command(ID_VIEW_ZOOM_IN);
    // Scrolling past the end of the stream puts the position on its last
    // millisecond.
    for (int page = 0; page < 3; ++page)
        command(ID_VIEW_SCROLL_RIGHT);
    ASSERT_EQ(pos(), model().streamEnd() - 1);
    ASSERT_GT(model().visibleStart(), 0);
    command(ID_VIEW_PLAY);
    EXPECT_TRUE(view.isPlaying());
    EXPECT_EQ(pos(), 0);
    EXPECT_EQ(model().visibleStart(), 0);
    CommandState state;
    view.fillCommandState(state);
    EXPECT_TRUE(state.atStreamStart);
    command(ID_VIEW_PLAY);
    EXPECT_TRUE(view.isPlaying()) << "a second play request is ignored";
    command(ID_VIEW_STOP);
    EXPECT_FALSE(view.isPlaying());
}

TEST_F(StreamViewPlayback, EightBitFileEndsWithTheErrorNotification)
{
    openSilence(3000);
    // The player reads 16-bit files only; swap the opened file for an 8-bit one.
    WriteFileBytes(document.getWavPath(),
                   MakeWavBytes(1, 1, 8000, 8, std::string(24000, static_cast<char>(0x80))));
    MessageBoxWatcher boxes;
    parent.commands.clear();
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(pumpUntil([&] { return !boxes.texts().empty(); }));
    EXPECT_STREQ(boxes.texts()[0], L"Error starting playing.");
    EXPECT_FALSE(view.isPlaying());
    EXPECT_GE(parent.commands.size(), 2u) << "the start and the end are reported";
}

TEST_F(StreamViewPlayback, StopWhileThePlayerReportsTheEndDoesNotDeadlock)
{
    openSilence(2400);
    view.holdMilliseconds = 200;
    command(ID_VIEW_PLAY_CUT);
    ASSERT_TRUE(view.isPlaying());
    ASSERT_EQ(WaitForSingleObject(view.entered, 30000), WAIT_OBJECT_0);
    // The player's thread is on its way into the notification now.
    view.stopPlaying();
    EXPECT_FALSE(view.isPlaying());
    PumpMessages();
    EXPECT_FALSE(view.isPlaying()) << "stop cancels the repeat of the cut";
    EXPECT_EQ(view.finished, 1);
}

} // namespace
