#include "PlaybackFixtures.h"

#include "import/WavWriter.h"
#include "infra/Logger.h"
#include "playback/WavPlayer.h"
#include "support/ImportHook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

// The player on the real wave output device. Stops at random moments, also
// inside the end notification, are the load tests' (PlayerLoad, CutLoopLoad).

namespace {

class WavPlayerTest : public testing::Test {
protected:
    ~WavPlayerTest() override { GetLogger().SetLevel(LOG_NONE); }

    CString squareFile(const wchar_t* name, int milliseconds)
    {
        return writeSquareWav(dir.file(name), milliseconds, 8000);
    }

    TempDir dir;
    FinishProbe probe;
};

// A device whose sound server went away: it takes buffers and never plays
// them, nor gives them back when the output closes (they are "still playing").
std::vector<WAVEHDR*> g_held;
decltype(&waveOutUnprepareHeader) g_unprepare;
MMRESULT WINAPI keepingWaveOutWrite(HWAVEOUT, LPWAVEHDR header, UINT)
{
    g_held.push_back(header);
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI keepingWaveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    return std::ranges::count(g_held, header) != 0 ? WAVERR_STILLPLAYING
                                                   : g_unprepare(device, header, size);
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
DWORD_PTR g_callback, g_instance;
MMRESULT WINAPI notingWaveOutOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format,
                                  DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    g_opensWhileListing += g_listing == kRunning;
    g_callback = callback;
    g_instance = instance;
    return g_open(device, id, format, callback, instance, flags);
}

} // namespace

TEST_F(WavPlayerTest, PlayRightAfterThePlayerIsMadeWaitsForTheSystemsOutputToLoad)
{
    g_listDevices = hookImport("winmm.dll", "waveOutGetNumDevs", &slowWaveOutGetNumDevs);
    g_open = hookImport("winmm.dll", "waveOutOpen", &notingWaveOutOpen);
    ASSERT_TRUE(g_listDevices && g_open);
    {
        CWavPlayer player(&probe);
        ASSERT_TRUE(player.play(squareFile(L"song.wav", 1000), 900, 1000, nullptr));
        ASSERT_TRUE(probe.waitForFinish());
        EXPECT_FALSE(probe.lastError);
    }
    hookImport("winmm.dll", "waveOutGetNumDevs", g_listDevices);
    hookImport("winmm.dll", "waveOutOpen", g_open);
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
    auto* const write = hookImport("winmm.dll", "waveOutWrite", &keepingWaveOutWrite);
    ASSERT_NE(write, nullptr);
    const CString song = squareFile(L"song.wav", 5000);
    CWavPlayer player(&probe);
    // Stalled while more is to be queued, and while the last buffers play.
    for (const int start : {0, 4800}) {
        ASSERT_TRUE(player.play(song, start, 5000, nullptr));
        ASSERT_TRUE(probe.waitForFinish()) << "from " << start;
        EXPECT_TRUE(probe.lastError) << "from " << start;
    }
    hookImport("winmm.dll", "waveOutWrite", write);
    ASSERT_TRUE(player.play(song, 4800, 5000, nullptr));
    ASSERT_TRUE(probe.waitForFinish());
    EXPECT_FALSE(probe.lastError) << "the next playback on a working device";
    EXPECT_EQ(probe.calls, 3);
}

TEST(WaveOut, WhatTheDeviceStillHoldsAtCloseOutlivesTheOutput)
{
    g_open = hookImport("winmm.dll", "waveOutOpen", &notingWaveOutOpen);
    auto* const write = hookImport("winmm.dll", "waveOutWrite", &keepingWaveOutWrite);
    g_unprepare = hookImport("winmm.dll", "waveOutUnprepareHeader", &keepingWaveOutUnprepareHeader);
    ASSERT_TRUE(g_open && write && g_unprepare);
    {
        CWaveOut output;
        const WAVEFORMATEX format = Pcm16Format(1, 8000);
        ASSERT_EQ(output.open(&format, 4, 1000, WAVE_MAPPER), MMSYSERR_NOERROR);
        const std::vector<char> samples(2000);
        output.grab(samples.data(), 2000);
    }
    hookImport("winmm.dll", "waveOutOpen", g_open);
    hookImport("winmm.dll", "waveOutWrite", write);
    hookImport("winmm.dll", "waveOutUnprepareHeader", g_unprepare);
    ASSERT_EQ(g_held.size(), 2u);
    // The device hands its buffers back late, as one whose sound server hangs may.
    for (WAVEHDR* header : g_held) {
        ASSERT_TRUE(HeapValidate(GetProcessHeap(), 0, header)) << "a held buffer was freed";
        header->dwFlags |= WHDR_DONE;
        reinterpret_cast<LPDRVCALLBACK>(g_callback)(nullptr, WOM_DONE, g_instance,
                                                    reinterpret_cast<DWORD_PTR>(header), 0);
    }
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(g_instance), 0), WAIT_OBJECT_0)
        << "the semaphore the device releases was closed";
}
