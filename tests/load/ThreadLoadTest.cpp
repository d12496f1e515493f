#include "LoadRun.h"
#include "playback/PlaybackFixtures.h"
#include "streamview/StreamViewFixture.h"

#include "playback/WavPlayer.h"
#include "support/MessageBoxWatcher.h"

#include <random>

TEST(PlayerLoad, ThousandPlayStopCyclesAtRandomMomentsNeverHangOrNotifyLate)
{
    const int cycles = ScaledCount(1000);
    TempDir dir;
    const CString longFile = writeSquareWav(dir.file(L"long.wav"), 3000, 4000);
    const CString tinyFile = writeSquareWav(dir.file(L"tiny.wav"), 15, 4000);

    FinishProbe probe;
    std::mt19937 random(LoadSeed());
    int stopsInNotification = 0;
    {
        Watchdog watchdog(60);
        CWavPlayer player(&probe);
        for (int i = 0; i < cycles; ++i) {
            watchdog.arm("play/stop cycle " + std::to_string(i) + " of " + std::to_string(cycles));
            const int kind = static_cast<int>(random() % 4);
            probe.holdMilliseconds = kind == 0 ? random() % 20 : 0;
            probe.stopped = false;
            probe.forget();
            ASSERT_TRUE(
                player.play(kind == 0 || kind == 1 ? tinyFile : longFile, 0, 3000, nullptr));
            if (kind == 0) {
                // Into the notification of a playback that ends by itself.
                ASSERT_TRUE(probe.waitForFinish()) << "cycle " << i << " never reported its end";
                ++stopsInNotification;
            } else if (kind != 3) {
                // Around the end of the tiny file, or while the long one plays.
                Sleep(random() % 40);
            }
            player.stop();
            probe.stopped = true;
            ASSERT_FALSE(player.isPlaying()) << "cycle " << i;
            if (i % 50 == 49)
                Sleep(100); // time for a late notification to come while none may
        }
        watchdog.disarm();
    }
    // Anything still on its way would arrive now.
    Sleep(200);
    EXPECT_EQ(probe.late, 0) << "notifications after a stop had returned";
    EXPECT_EQ(probe.errors, 0);
    EXPECT_GT(stopsInNotification, cycles / 10);
    std::printf("%d cycles, %d stopped inside the notification\n", cycles, stopsInNotification);
}

using CutLoopLoad = StreamViewTest;

TEST_F(CutLoopLoad, HundredCutLoopsStoppedAtRandomMomentsStayStopped)
{
    const int loops = ScaledCount(100);
    openSilence(2100); // the default cut is 525 to 1575 ms
    ASSERT_TRUE(document.cutRegion().valid);
    MessageBoxWatcher boxes;
    std::mt19937 random(LoadSeed());
    int stopsInNotification = 0;
    int stopsAfterRestart = 0;

    Watchdog watchdog(60);
    for (int i = 0; i < loops; ++i) {
        watchdog.arm("cut loop " + std::to_string(i) + " of " + std::to_string(loops));
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
        PumpMessages(30);
        ASSERT_FALSE(view.isPlaying()) << "the loop started again after its stop in loop " << i;
        ASSERT_EQ(view.finished, finishedAtStop) << "notified after the stop in loop " << i;
    }
    watchdog.disarm();
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
    ASSERT_TRUE(WaitFor([&] { return !view.isPlaying(); }));
    command(ID_VIEW_STOP);
    const int64_t start = pos();
    command(ID_VIEW_PLAY);
    ASSERT_TRUE(view.isPlaying());
    PumpMessages();
    EXPECT_TRUE(view.isPlaying());
    EXPECT_LT(pos(), start + 500) << "the stopped playback's end moved the position to its end";
    EXPECT_GE(pos(), start) << "the stopped cut loop started again from the cut";
    command(ID_VIEW_STOP);
}
