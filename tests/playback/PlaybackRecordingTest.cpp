#include "NullSinkRecorder.h"
#include "PlaybackFixtures.h"

#include "playback/WavPlayer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

// What the player sends to the wave output device, recorded from the
// PulseAudio null sink and compared with the envelope computed here.

namespace {

constexpr int kAmplitude = 16000;
constexpr int kSilence = 64;
constexpr int kWindow = kRate / 100; // 10 ms

bool audible(int16_t sample)
{
    return std::abs(static_cast<int>(sample)) > kSilence;
}

// The audible frames of a recording. Every frame of a square wave is far from
// silence, so silent frames between the first and the last audible one are
// gaps the sound server of a loaded machine now and then puts into a stream;
// they are left out, which keeps the frames in step with the played ones.
struct Recording {
    std::vector<int> magnitudes;

    double audibleMs() const { return static_cast<double>(magnitudes.size()) * 1000 / kRate; }
    size_t windows() const { return magnitudes.size() / kWindow; }
    // Mean magnitude of the 10 ms window.
    double windowMagnitude(size_t window) const
    {
        const auto first = magnitudes.begin() + static_cast<ptrdiff_t>(window * kWindow);
        return std::accumulate(first, first + kWindow, 0.0) / kWindow;
    }
    // The level most windows have.
    double typicalMagnitude() const
    {
        std::vector<double> levels;
        for (size_t w = 0; w < windows(); ++w)
            levels.push_back(windowMagnitude(w));
        std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
        return levels[levels.size() / 2];
    }
};

// A stream may also lose a few milliseconds, so a few windows may miss
// their expected level.
size_t tolerableDropouts(size_t windows)
{
    return windows / 30 + 1;
}

class PlaybackRecordingTest : public testing::Test {
protected:
    // Plays [startMs, endMs) of the file while recording, and finds the
    // audible part of the recording, which must be expectedMs long at least.
    Recording playAndRecord(const CString& wav, int64_t startMs, int64_t endMs,
                            const CCutRegion* cut, double gain, int expectedMs)
    {
        Recording recording;
        const int seconds = expectedMs / 1000 + 10;
        // A recorder runs on for a while after its playback: every one writes a file of its own.
        CString name;
        name.Format(L"recorded%d.raw", ++m_recordings);
        NullSinkRecorder recorder(dir.file(name), seconds);
        EXPECT_TRUE(recorder.waitUntilRecording(300)) << "parec does not record the null sink";
        // Whatever was recorded before the playback started is not ours: a
        // previous playback's tail may still be on its way through the server.
        const size_t playedFrom = recorder.recordedFrames();
        FinishProbe probe;
        CWavPlayer player(&probe);
        player.setGain(gain);
        EXPECT_TRUE(player.play(wav, startMs, endMs, cut));
        EXPECT_TRUE(probe.waitForFinish());
        EXPECT_FALSE(probe.lastError);

        // The tail of the playback reaches the recording a little later.
        const auto onsetOf = [&](const std::vector<int16_t>& left) {
            return std::find_if(left.begin() +
                                    static_cast<ptrdiff_t>(std::min(playedFrom, left.size())),
                                left.end(), audible);
        };
        std::vector<int16_t> left = recorder.leftChannel();
        const size_t onset = static_cast<size_t>(onsetOf(left) - left.begin());
        recorder.waitForFrames(onset + static_cast<size_t>(expectedMs + 500) * kRate / 1000);
        left = recorder.leftChannel();
        for (auto frame = onsetOf(left); frame != left.end(); ++frame) {
            if (audible(*frame))
                recording.magnitudes.push_back(std::abs(static_cast<int>(*frame)));
        }
        return recording;
    }

    TempDir dir;

private:
    int m_recordings = 0;
};

} // namespace

TEST_F(PlaybackRecordingTest, FadedCutRampsUpAndDownAsTheFadeFactor)
{
    const CString wav = dir.file(L"square.wav");
    writeSquareWav(wav, 6000, kAmplitude);
    const CCutRegion cut = cutOf(1000, 5000, 2000, 2000);
    const Recording recording = playAndRecord(wav, 1000, 5000, &cut, 1.0, 4000);
    ASSERT_GT(recording.windows(), 0u);

    // The ramp starts at silence, so the first audible frame lies where the
    // computed envelope first exceeds the silence level.
    const auto expectedFactor = [](double ms) {
        return ms < 2000 ? ms / 2000 : (4000 - ms) / 2000;
    };
    const double onsetMs = 2000.0 * kSilence / kAmplitude;
    EXPECT_NEAR(recording.audibleMs(), 4000 - 2 * onsetMs, 30);
    std::vector<double> mismatches;
    for (size_t w = 0; w < recording.windows(); ++w) {
        const double ms = onsetMs + (w + 0.5) * 10;
        if (std::abs(recording.windowMagnitude(w) / kAmplitude - expectedFactor(ms)) > 0.02)
            mismatches.push_back(ms);
    }
    EXPECT_LE(mismatches.size(), tolerableDropouts(recording.windows()))
        << "first at " << (mismatches.empty() ? 0 : mismatches[0]) << " ms into the cut";
}

TEST_F(PlaybackRecordingTest, GainScalesAgainstPlainPlayback)
{
    const CString wav = dir.file(L"quiet.wav");
    const int amplitude = 4000;
    writeSquareWav(wav, 1000, amplitude);
    const double normalisation = 32767.0 / amplitude;
    const Recording plain = playAndRecord(wav, 0, 1000, nullptr, 1.0, 1000);
    const Recording louder = playAndRecord(wav, 0, 1000, nullptr, normalisation, 1000);
    ASSERT_GT(plain.windows(), 50u);
    ASSERT_GT(louder.windows(), 50u);

    EXPECT_NEAR(plain.typicalMagnitude(), amplitude, 1);
    // The samples are truncated after scaling.
    EXPECT_NEAR(louder.typicalMagnitude(), std::trunc(amplitude * normalisation), 1);
}

TEST_F(PlaybackRecordingTest, FadeShorterThanATenthOfASecondIsNotApplied)
{
    const CString wav = dir.file(L"square.wav");
    writeSquareWav(wav, 2000, kAmplitude);
    const CCutRegion cut = cutOf(0, 1500, 50, 50);
    const Recording recording = playAndRecord(wav, 0, 1500, &cut, 1.0, 1500);
    ASSERT_GT(recording.windows(), 5u);
    // Full level from the very first window to the last.
    EXPECT_NEAR(recording.windowMagnitude(0), kAmplitude, kAmplitude * 0.01);
    EXPECT_NEAR(recording.windowMagnitude(recording.windows() - 1), kAmplitude, kAmplitude * 0.01);
    EXPECT_NEAR(recording.typicalMagnitude(), kAmplitude, 1);
    EXPECT_NEAR(recording.audibleMs(), 1500, 30);
}

TEST_F(PlaybackRecordingTest, EndPastTheFilePlaysToTheFilesEnd)
{
    const CString wav = dir.file(L"short.wav");
    writeSquareWav(wav, 1500, kAmplitude);
    const Recording recording = playAndRecord(wav, 500, 10000, nullptr, 1.0, 1000);
    EXPECT_NEAR(recording.audibleMs(), 1000, 30);
    EXPECT_NEAR(recording.typicalMagnitude(), kAmplitude, 1);
}
