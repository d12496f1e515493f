#include "PlaybackFixtures.h"

#include "infra/Logger.h"
#include "playback/WavPlayer.h"
#include "support/TempDir.h"

#include "WinThread.h"

#include <gtest/gtest.h>

#include <string>

// The player's threads and locks, on the real wave output device.

namespace {

constexpr int kAmplitude = 8000;

class WavPlayerTest : public testing::Test {
protected:
    CString squareFile(const wchar_t* name, int milliseconds)
    {
        const CString path = dir.file(name);
        writeSquareWav(path, milliseconds, kAmplitude);
        return path;
    }

    TempDir dir;
    FinishProbe probe;
};

// Locks as the stream view does: its own lock over its playing flag, given
// up before it stops the player, and taken by the end notification.
class ViewLikeOwner : public CWavPlayerCallBack {
public:
    ViewLikeOwner()
        : m_entered(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          m_stopping(CreateEventW(nullptr, FALSE, FALSE, nullptr))
    {
    }
    ~ViewLikeOwner()
    {
        CloseHandle(m_entered);
        CloseHandle(m_stopping);
    }

    void play(const CString& path)
    {
        CSingleLock lock(&m_lock, TRUE);
        m_playing = player.play(path, 0, 10000, nullptr);
    }
    void stopPlaying()
    {
        CSingleLock lock(&m_lock, TRUE);
        if (!m_playing)
            return;
        lock.Unlock();
        player.stop();
        lock.Lock();
        m_playing = false;
    }
    // The notification waits for the stop to be under way before it takes
    // the owner's lock, so stop and notification meet.
    void onPlayingFinished(bool) override
    {
        SetEvent(m_entered);
        WaitForSingleObject(m_stopping, 5000);
        CSingleLock lock(&m_lock, TRUE);
        if (m_playing)
            ++finished;
        m_playing = false;
    }
    bool waitUntilNotifying() { return WaitForSingleObject(m_entered, 60000) == WAIT_OBJECT_0; }
    void announceStop() { SetEvent(m_stopping); }

    int finished = 0;
    CWavPlayer player{this};

private:
    CCriticalSection m_lock;
    bool m_playing = false;
    HANDLE m_entered;
    HANDLE m_stopping;
};

std::wstring logFileText(const TempDir& dir)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(dir.file(L"PlayerLog_*.txt"), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::wstring();
    FindClose(search);
    return ReadUtf16File(dir.file(found.cFileName));
}

} // namespace

TEST_F(WavPlayerTest, PlaybackThatEndsByItselfNotifiesOnceWithoutError)
{
    CWavPlayer player(&probe);
    ASSERT_TRUE(player.play(squareFile(L"short.wav", 200), 0, 200, nullptr));
    EXPECT_TRUE(player.isPlaying());
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_FALSE(probe.lastError);
    player.stop(); // waits for the worker to be done with the player
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(probe.calls, 1);
}

TEST_F(WavPlayerTest, StopReturnsWithThePlayingFlagClearedAndNoNotification)
{
    const CString file = squareFile(L"long.wav", 5000);
    CWavPlayer player(&probe);

    // Stopped before the worker got going, and again once it waits for the device.
    ASSERT_TRUE(player.play(file, 0, 5000, nullptr));
    player.stop();
    EXPECT_FALSE(player.isPlaying());
    ASSERT_TRUE(player.play(file, 0, 5000, nullptr));
    Sleep(500);
    player.stop();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(probe.calls, 0);

    // The player is as good as new.
    ASSERT_TRUE(player.play(file, 4800, 5000, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_FALSE(probe.lastError);
}

TEST_F(WavPlayerTest, NewPlayStopsTheRunningOneSilently)
{
    CWavPlayer player(&probe);
    ASSERT_TRUE(player.play(squareFile(L"long.wav", 5000), 0, 5000, nullptr));
    ASSERT_TRUE(player.play(squareFile(L"short.wav", 100), 0, 100, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    player.stop();
    EXPECT_EQ(probe.calls, 1);
}

TEST_F(WavPlayerTest, DestroyingThePlayerStopsItsPlayback)
{
    {
        CWavPlayer player(&probe);
        ASSERT_TRUE(player.play(squareFile(L"long.wav", 5000), 0, 5000, nullptr));
    }
    EXPECT_EQ(probe.calls, 0);
}

TEST_F(WavPlayerTest, StopWhileTheEndIsBeingNotifiedNeverDeadlocks)
{
    struct Run {
        ViewLikeOwner owner;
        CString file;
        int iterations = 300;
        int completed = 0;
        bool notified = true;
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    };
    // The loop runs on a thread of its own so that a deadlock fails the test
    // instead of hanging it; a deadlocked run is left to the process.
    auto* run = new Run;
    run->file = squareFile(L"tiny.wav", 20);
    CWinThread* thread = AfxBeginThread(
        [](LPVOID param) -> UINT {
            Run& run = *static_cast<Run*>(param);
            for (int i = 0; i < run.iterations && run.notified; ++i) {
                run.owner.play(run.file);
                run.notified = run.owner.waitUntilNotifying();
                run.owner.announceStop();
                run.owner.stopPlaying();
                ++run.completed;
            }
            SetEvent(run.done);
            return 0;
        },
        run);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(run->done, 240000), static_cast<DWORD>(WAIT_OBJECT_0))
        << "stop deadlocked after " << run->completed << " playbacks";
    EXPECT_TRUE(run->notified);
    EXPECT_EQ(run->completed, run->iterations);
    EXPECT_EQ(run->owner.finished, run->iterations);
    EXPECT_FALSE(run->owner.player.isPlaying());
    CloseHandle(run->done);
    delete run;
}

TEST_F(WavPlayerTest, UnplayableFilesEndWithTheErrorNotificationAndALogLine)
{
    CLoggerEx& logger = GetLogger();
    logger.SetFilePrefix(dir.file(L"PlayerLog"));
    logger.SetLevel(LOG_ERROR);

    const CString eightBit = dir.file(L"eight.wav");
    write8BitWav(eightBit, 500);
    CWavPlayer player(&probe);
    ASSERT_TRUE(player.play(eightBit, 0, 500, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_TRUE(probe.lastError);

    ASSERT_TRUE(player.play(dir.file(L"missing.wav"), 0, 500, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_TRUE(probe.lastError);
    player.stop();
    EXPECT_EQ(probe.calls, 2);

    logger.Close();
    logger.SetLevel(LOG_NONE);
    const std::wstring log = logFileText(dir);
    EXPECT_NE(log.find(L"error while playing: not supported wav file"), std::wstring::npos);
    EXPECT_NE(log.find(L"error while playing: error opening file"), std::wstring::npos);
}

TEST_F(WavPlayerTest, EmptyOrReversedRangeEndsAtOnce)
{
    CWavPlayer player(&probe);
    ASSERT_TRUE(player.play(squareFile(L"short.wav", 1000), 800, 300, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_FALSE(probe.lastError);
}

// Runs for real only in the ctest case WaveOutputDeviceMissing, whose Wine
// has no sound driver.
TEST_F(WavPlayerTest, MissingOutputDeviceEndsEachPlayWithTheErrorNotification)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_SOUND", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without a sound driver";
    CLoggerEx& logger = GetLogger();
    logger.SetFilePrefix(dir.file(L"PlayerLog"));
    logger.SetLevel(LOG_ERROR);

    const CString song = squareFile(L"song.wav", 1000);
    CWavPlayer player(&probe);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        ASSERT_TRUE(player.play(song, 0, 1000, nullptr));
        ASSERT_TRUE(probe.waitForFinish()) << "attempt " << attempt;
        EXPECT_TRUE(probe.lastError) << "attempt " << attempt;
        EXPECT_EQ(probe.calls, attempt);
    }
    player.stop();
    EXPECT_FALSE(player.isPlaying());

    logger.Close();
    logger.SetLevel(LOG_NONE);
    EXPECT_NE(logFileText(dir).find(L"error while playing: error initializing waveout: "),
              std::wstring::npos);
}
