#include "PlaybackFixtures.h"

#include "playback/WavPlayer.h"
#include "support/ImportHook.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

// Every buffer the player hands to the wave output device, in order.
std::mutex g_lock;
std::string g_handedOver;
decltype(&waveOutWrite) g_write;
MMRESULT WINAPI recordingWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_handedOver.append(header->lpData, header->dwBufferLength);
    }
    return g_write(device, header, size);
}

} // namespace

// The fades and the gain worked out here from the square wave's frames
// (every one at full magnitude) and their whole milliseconds.
TEST(PlaybackRecording, FadedCutWithGainReachesTheDeviceAsItsEnvelopeAndEndsWithTheFile)
{
    TempDir dir;
    constexpr int amplitude = 16000;
    const CString wav = writeSquareWav(dir.file(L"square.wav"), 5000, amplitude);
    const CCutRegion cut = cutOf(1000, 5000, 2000, 2000);
    g_write = hookImport("winmm.dll", "waveOutWrite", &recordingWaveOutWrite);
    ASSERT_NE(g_write, nullptr);
    FinishProbe probe;
    {
        CWavPlayer player(&probe);
        player.setGain(1.5);
        // The end lies past the file: the playback ends with the file.
        ASSERT_TRUE(player.play(wav, 1000, 10000, &cut));
        EXPECT_TRUE(probe.waitForFinish());
        EXPECT_FALSE(probe.lastError);
    }
    hookImport("winmm.dll", "waveOutWrite", g_write);

    const auto* played = reinterpret_cast<const int16_t*>(g_handedOver.data());
    ASSERT_EQ(g_handedOver.size(), size_t{4} * kRate * 4) << "the four seconds from 1 s to the end";
    int mismatches = 0;
    for (int64_t i = 0; i < 4 * kRate && mismatches < 10; ++i) {
        const int64_t frame = kRate + i, ms = frame * 1000 / kRate;
        const double fade = ms < 3000 ? (ms - 1000) / 2000.0 : (5000 - ms) / 2000.0;
        const double expected = (frame / 50 % 2 ? -amplitude : amplitude) * 1.5 * fade;
        for (const int16_t sample : {played[2 * i], played[2 * i + 1]})
            if (std::abs(sample - expected) > 1)
                ADD_FAILURE() << "frame " << i << " (" << ms << " ms): " << sample << ", not "
                              << expected << (++mismatches, "");
    }
}
