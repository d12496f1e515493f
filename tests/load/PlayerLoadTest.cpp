// A thousand play/stop cycles on the player, stopped at random moments:
// before the worker has opened the device, while it feeds it, and while it
// is inside its end notification. Every stop returns, and no notification
// comes after one.
#include "LoadRun.h"
#include "playback/PlaybackFixtures.h"

#include "playback/WavPlayer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Counts notifications, and those that arrive once the player's stop has
// returned; on request it holds the worker inside the notification for a
// moment, so a stop lands there.
class StopProbe : public CWavPlayerCallBack {
public:
    StopProbe() : m_entered(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~StopProbe() { CloseHandle(m_entered); }
    StopProbe(const StopProbe&) = delete;
    StopProbe& operator=(const StopProbe&) = delete;

    void onPlayingFinished(bool error) override
    {
        if (stopped)
            ++late;
        if (error)
            ++errors;
        ++calls;
        SetEvent(m_entered);
        if (holdMilliseconds > 0)
            Sleep(holdMilliseconds);
    }
    void rearm() { ResetEvent(m_entered); }
    bool waitUntilNotifying() { return WaitForSingleObject(m_entered, 30000) == WAIT_OBJECT_0; }

    std::atomic<int> calls{0};
    std::atomic<int> late{0};
    std::atomic<int> errors{0};
    std::atomic<bool> stopped{false};
    std::atomic<DWORD> holdMilliseconds{0};

private:
    HANDLE m_entered;
};

} // namespace

TEST(PlayerLoad, ThousandPlayStopCyclesAtRandomMomentsNeverHangOrNotifyLate)
{
    const int cycles = ScaledCount(1000);
    TempDir dir;
    const CString longFile = dir.file(L"long.wav");
    const CString tinyFile = dir.file(L"tiny.wav");
    writeSquareWav(longFile, 3000, 4000);
    writeSquareWav(tinyFile, 15, 4000);

    StopProbe probe;
    std::mt19937 random(GetTickCount());
    int stopsInNotification = 0;
    int missedNotifications = 0;
    {
        StallWatchdog watchdog("play/stop cycles", cycles, 60000);
        CWavPlayer player(&probe);
        for (int i = 0; i < cycles; ++i) {
            const int kind = static_cast<int>(random() % 4);
            probe.holdMilliseconds = kind == 0 ? random() % 20 : 0;
            probe.stopped = false;
            probe.rearm();
            ASSERT_TRUE(
                player.play(kind == 0 || kind == 1 ? tinyFile : longFile, 0, 3000, nullptr));
            if (kind == 0) {
                // Into the notification of a playback that ends by itself.
                if (probe.waitUntilNotifying())
                    ++stopsInNotification;
                else
                    ++missedNotifications;
            } else if (kind != 3) {
                // Around the end of the tiny file, or while the long one plays.
                Sleep(random() % 40);
            }
            player.stop();
            probe.stopped = true;
            ASSERT_FALSE(player.isPlaying()) << "cycle " << i;
            watchdog.step();
        }
    }
    // Anything still on its way would arrive now.
    Sleep(200);
    EXPECT_EQ(probe.late, 0) << "notifications after a stop had returned";
    EXPECT_EQ(probe.errors, 0);
    EXPECT_EQ(missedNotifications, 0) << "playbacks that never reported their end";
    EXPECT_GT(stopsInNotification, cycles / 10);
    std::printf("%d cycles, %d stopped inside the notification, %d notified in all\n", cycles,
                stopsInNotification, probe.calls.load());
}
