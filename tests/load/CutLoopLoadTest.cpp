// A hundred loops of the cut in the stream view, each stopped at a random
// moment: while the cut plays, while the player's thread is inside its end
// notification, and after the loop has started again. The stop always
// returns, the loop never starts again after it, and the player's thread
// reports nothing more.
#include "LoadRun.h"
#include "streamview/StreamViewFixture.h"

#include "support/MessageBoxWatcher.h"

#include <random>

namespace {

using CutLoopLoad = StreamViewTest;

} // namespace

TEST_F(CutLoopLoad, HundredCutLoopsStoppedAtRandomMomentsStayStopped)
{
    const int loops = ScaledCount(100);
    openSilence(2100); // the default cut is 525 to 1575 ms
    ASSERT_TRUE(document.cutRegion().valid);
    MessageBoxWatcher boxes;
    std::mt19937 random(GetTickCount());
    int stopsInNotification = 0;
    int stopsAfterRestart = 0;

    StallWatchdog watchdog("cut loops", loops, 60000);
    for (int i = 0; i < loops; ++i) {
        const int kind = static_cast<int>(random() % 20);
        const int finishedBefore = view.finished;
        view.holdMilliseconds = kind < 3 ? random() % 50 : 0;
        ResetEvent(view.entered);
        command(ID_VIEW_PLAY_CUT);
        ASSERT_TRUE(view.isPlaying()) << "loop " << i;
        if (kind < 3) {
            // The player's thread is on its way into the notification.
            ASSERT_TRUE(pumpUntil([&] { return WaitForSingleObject(view.entered, 0) == 0; }));
            ++stopsInNotification;
        } else if (kind == 3) {
            ASSERT_TRUE(pumpUntil([&] {
                return view.finished > finishedBefore && view.isPlaying();
            })) << "the cut did not start again in loop "
                << i;
            ++stopsAfterRestart;
            PumpMessages();
            Sleep(random() % 200);
        } else {
            Sleep(random() % 150);
            PumpMessages();
        }
        command(ID_VIEW_STOP);
        EXPECT_FALSE(view.isPlaying()) << "loop " << i;
        const int finishedAtStop = view.finished;
        // Whatever the player's thread posted before the stop is handled now.
        const ULONGLONG settle = GetTickCount64() + 30;
        while (GetTickCount64() < settle) {
            PumpMessages();
            Sleep(5);
        }
        ASSERT_FALSE(view.isPlaying()) << "the loop started again after its stop in loop " << i;
        ASSERT_EQ(view.finished, finishedAtStop) << "notified after the stop in loop " << i;
        watchdog.step();
    }
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_GT(stopsInNotification, 0);
    std::printf("%d loops, %d stopped inside the notification, %d after a restart\n", loops,
                stopsInNotification, stopsAfterRestart);
}

TEST_F(CutLoopLoad, EndOfAStoppedPlaybackDoesNotMoveTheNextOne)
{
    openSilence(2100);
    ResetEvent(view.entered);
    command(ID_VIEW_PLAY_CUT);
    ASSERT_EQ(WaitForSingleObject(view.entered, 30000), WAIT_OBJECT_0);
    // The end is reported and its handling waits in the queue, unhandled.
    const ULONGLONG giveUp = GetTickCount64() + 30000;
    while (view.isPlaying() && GetTickCount64() < giveUp)
        Sleep(5);
    ASSERT_FALSE(view.isPlaying());
    command(ID_VIEW_STOP);
    const int64_t start = pos();
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(view.isPlaying());
    PumpMessages();
    EXPECT_TRUE(view.isPlaying());
    EXPECT_LT(pos(), start + 500) << "the stopped playback's end moved the position to its end";
    command(ID_VIEW_STOP);
}
