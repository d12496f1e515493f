#include "StreamViewFixture.h"

#include "support/MessageBoxWatcher.h"

namespace {

using namespace SkinGeometry;

using StreamViewPlayback = StreamViewTest;

// Looping cuts and stops inside the end notification: CutLoopLoad.
TEST_F(StreamViewPlayback, CursorFollowsTheClockPagesAndTheWheelAndPlayAtTheStreamEndRewinds)
{
    openSilence(120000);
    EXPECT_EQ(view.timerPeriod(), 120) << "the cursor timer follows the visible seconds";
    command(ID_VIEW_ZOOM_IN);
    command(ID_VIEW_ZOOM_IN);
    EXPECT_EQ(view.timerPeriod(), 60);
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

    const int64_t paged = model().visibleStart();
    const int pixel = view.positionLayer().posPixel();
    view.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_GT(model().visibleStart(), paged) << "the wheel toward the user shows later times";
    EXPECT_NEAR(view.positionLayer().posPixel(), pixel, 1) << "the position keeps its pixel";
    view.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(model().visibleStart(), paged);

    while (model().visibleEnd() < model().streamEnd())
        command(ID_VIEW_SCROLL_RIGHT);
    command(ID_VIEW_SCROLL_RIGHT);
    EXPECT_EQ(pos(), model().streamEnd() - 1) << "scrolling past the end";
    // A playback that ends by itself leaves the cursor on the last millisecond.
    clickSlider(pixelOf(model().streamEnd() - 1000));
    ASSERT_LT(model().streamEnd() - pos(), 1100);
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(pumpUntil([&] { return view.finished == 1 && !view.isPlaying(); }));
    EXPECT_EQ(pos(), model().streamEnd() - 1);

    // Playing there starts again from the stream's start.
    command(ID_VIEW_PLAY);
    EXPECT_TRUE(view.isPlaying());
    EXPECT_EQ(pos(), 0);
    EXPECT_EQ(model().visibleStart(), 0);
    EXPECT_TRUE(commandState().atStreamStart);
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

} // namespace
