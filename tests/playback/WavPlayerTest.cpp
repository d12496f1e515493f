#include "PlaybackFixtures.h"

#include "infra/Logger.h"
#include "playback/WavPlayer.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"
#include "support/WinmmHook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

// The player on the real wave output device. Stops at random moments, also
// inside the end notification, are the load tests' (PlayerLoad, CutLoopLoad).

namespace {

class WavPlayerTest : public testing::Test {
protected:
    ~WavPlayerTest() override { GetLogger().SetLevel(LOG_NONE); }

    CString squareFile(const wchar_t* name, int milliseconds)
    {
        const CString path = dir.file(name);
        writeSquareWav(path, milliseconds, 8000);
        return path;
    }

    TempDir dir;
    FinishProbe probe;
};

// A device whose sound server went away: it takes buffers and never plays them.
MMRESULT WINAPI keepingWaveOutWrite(HWAVEOUT, LPWAVEHDR, UINT)
{
    return MMSYSERR_NOERROR;
}

// The system's first listing of its output devices, made slow, and the opens
// that come while it runs: Wine's listing is not safe against them.
decltype(&waveOutGetNumDevs) g_listDevices;
decltype(&waveOutOpen) g_open;
enum Listing { kNotYet, kRunning, kDone };
std::atomic<Listing> g_listing{kNotYet};
std::atomic<int> g_opensWhileListing{0};
UINT WINAPI slowWaveOutGetNumDevs()
{
    g_listing = kRunning;
    Sleep(300);
    const UINT count = g_listDevices();
    g_listing = kDone;
    return count;
}
MMRESULT WINAPI notingWaveOutOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format,
                                  DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    g_opensWhileListing += g_listing == kRunning;
    return g_open(device, id, format, callback, instance, flags);
}

} // namespace

TEST_F(WavPlayerTest, PlayRightAfterThePlayerIsMadeWaitsForTheSystemsOutputToLoad)
{
    g_listDevices = hookWinmmImport("waveOutGetNumDevs", &slowWaveOutGetNumDevs);
    g_open = hookWinmmImport("waveOutOpen", &notingWaveOutOpen);
    ASSERT_TRUE(g_listDevices && g_open);
    {
        CWavPlayer player(&probe);
        ASSERT_TRUE(player.play(squareFile(L"song.wav", 1000), 900, 1000, nullptr));
        ASSERT_TRUE(probe.waitForFinish());
        EXPECT_FALSE(probe.lastError);
    }
    hookWinmmImport("waveOutGetNumDevs", g_listDevices);
    hookWinmmImport("waveOutOpen", g_open);
    if (g_listing == kNotYet)
        GTEST_SKIP() << "an earlier case of this process loaded the output";
    EXPECT_EQ(g_opensWhileListing, 0);
}

TEST_F(WavPlayerTest, EachPlaybackNotifiesItsEndOnceUnlessStoppedReplacedOrDestroyed)
{
    const CString song = squareFile(L"song.wav", 1000);
    const CString longSong = squareFile(L"long.wav", 5000);
    {
        CWavPlayer player(&probe);
        ASSERT_TRUE(player.play(song, 800, 1000, nullptr));
        EXPECT_TRUE(player.isPlaying());
        ASSERT_TRUE(probe.waitForFinish());
        EXPECT_FALSE(probe.lastError);
        player.stop(); // waits for the worker to be done with the player
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(probe.calls, 1);

        ASSERT_TRUE(player.play(song, 800, 300, nullptr));
        ASSERT_TRUE(probe.waitForFinish()) << "an empty or reversed range ends at once";
        EXPECT_FALSE(probe.lastError);

        ASSERT_TRUE(player.play(longSong, 0, 5000, nullptr));
        Sleep(300);
        player.stop();
        EXPECT_FALSE(player.isPlaying());
        ASSERT_TRUE(player.play(longSong, 0, 5000, nullptr));
        ASSERT_TRUE(player.play(song, 900, 1000, nullptr)) << "replaces the running playback";
        ASSERT_TRUE(probe.waitForFinish());
        player.stop();
        EXPECT_EQ(probe.calls, 3) << "a stopped or replaced playback does not notify";

        ASSERT_TRUE(player.play(longSong, 0, 5000, nullptr));
    }
    EXPECT_EQ(probe.calls, 3) << "destroying the player stops it silently";
}

// Runs for real only in the ctest case WaveOutputDeviceMissing, whose Wine
// has no sound driver.
TEST_F(WavPlayerTest, MissingOutputDeviceEndsEachPlayWithTheErrorNotification)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_SOUND", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without a sound driver";
    GetLogger().SetFilePrefix(dir.file(L"PlayerLog"));
    GetLogger().SetLevel(LOG_ERROR);
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
    GetLogger().Close();
    const std::vector<CString> logs = FileNames(dir.file(L"PlayerLog_*.txt"));
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(
        ReadUtf16File(dir.file(logs[0])).find(L"error while playing: error initializing waveout: "),
        std::wstring::npos);
}

TEST_F(WavPlayerTest, DeviceThatKeepsItsBuffersEndsThePlaybackWithTheErrorNotification)
{
    auto* const write = hookWinmmImport("waveOutWrite", &keepingWaveOutWrite);
    ASSERT_NE(write, nullptr);
    const CString song = squareFile(L"song.wav", 5000);
    CWavPlayer player(&probe);
    // Stalled while more is to be queued, and while the last buffers play.
    for (const int start : {0, 4800}) {
        ASSERT_TRUE(player.play(song, start, 5000, nullptr));
        ASSERT_TRUE(probe.waitForFinish()) << "from " << start;
        EXPECT_TRUE(probe.lastError) << "from " << start;
    }
    hookWinmmImport("waveOutWrite", write);
    ASSERT_TRUE(player.play(song, 4800, 5000, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_FALSE(probe.lastError) << "the next playback on a working device";
    EXPECT_EQ(probe.calls, 3);
}
