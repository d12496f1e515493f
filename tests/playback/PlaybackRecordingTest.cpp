#include "PlaybackFixtures.h"

#include "playback/WavPlayer.h"
#include "support/TempDir.h"
#include "support/UnixShell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

// What the player sends to the wave output device, recorded from the sink
// the test plays to, compared with the envelope computed here.

namespace {

constexpr int kSilence = 64;
constexpr int kWindow = kRate / 100; // 10 ms

// parec, a Linux program, records the monitor of the sink this process plays
// to (PULSE_SINK, else the null sink) for at most the given seconds as 16-bit
// stereo 44.1 kHz frames into a raw file.
class NullSinkRecorder {
public:
    NullSinkRecorder(const CString& rawFile, int maxSeconds) : m_rawFile(rawFile)
    {
        wchar_t sink[64] = L"null";
        GetEnvironmentVariableW(L"PULSE_SINK", sink, 64);
        CString command;
        command.Format(L"exec /usr/bin/timeout %d /usr/bin/parec -d %s.monitor --raw "
                       L"--format=s16le --rate=44100 --channels=2 --latency-msec=20 '%s'",
                       maxSeconds, sink, UnixPath(rawFile).GetString());
        StartUnixShell(command);
    }
    size_t recordedFrames() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW(m_rawFile, GetFileExInfoStandard, &data) ? data.nFileSizeLow / 4
                                                                             : 0;
    }
    // Waits (at most 20 s) until the file holds that many frames.
    bool waitForFrames(size_t frames) const
    {
        for (int i = 0; i < 1000 && recordedFrames() < frames; ++i)
            Sleep(20);
        return recordedFrames() >= frames;
    }
    std::vector<int16_t> leftChannel() const
    {
        const std::string bytes = ReadFileBytes(m_rawFile);
        std::vector<int16_t> left(bytes.size() / 4);
        for (size_t i = 0; i < left.size(); ++i)
            left[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[i * 4]) |
                                           (static_cast<uint8_t>(bytes[i * 4 + 1]) << 8));
        return left;
    }

private:
    CString m_rawFile;
};

bool audible(int16_t sample)
{
    return std::abs(static_cast<int>(sample)) > kSilence;
}

// Plays [startMs, endMs) of the file while recording, and gives the
// magnitudes of the audible frames, expectedMs of them at least. Every frame
// of a square wave is far from silence, so silent frames between the first
// and the last audible one are gaps the sound server of a loaded machine now
// and then puts into a stream; leaving them out keeps the frames in step with
// the played ones.
std::vector<int> playAndRecord(const TempDir& dir, const CString& wav, int64_t startMs,
                               int64_t endMs, const CCutRegion* cut, double gain, int expectedMs)
{
    NullSinkRecorder recorder(dir.file(L"recorded.raw"), expectedMs / 1000 + 10);
    EXPECT_TRUE(recorder.waitForFrames(kRate * 3 / 10)) << "parec does not record the sink";
    // A previous playback's tail may still be on its way through the server.
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
    std::vector<int> magnitudes;
    for (auto frame = onsetOf(left); frame != left.end(); ++frame)
        if (audible(*frame))
            magnitudes.push_back(std::abs(static_cast<int>(*frame)));
    return magnitudes;
}

} // namespace

TEST(PlaybackRecording, FadedCutWithGainRampsAsTheEnvelopeAndEndsWithTheFile)
{
    TempDir dir;
    constexpr int amplitude = 16000;
    constexpr double gain = 1.5;
    const CString wav = dir.file(L"square.wav");
    writeSquareWav(wav, 5000, amplitude);
    const CCutRegion cut = cutOf(1000, 5000, 2000, 2000);
    // The end lies past the file: the playback ends with the file.
    const std::vector<int> recorded = playAndRecord(dir, wav, 1000, 10000, &cut, gain, 4000);
    const size_t windows = recorded.size() / kWindow;
    ASSERT_GT(windows, 0u);

    // The ramp starts at silence, so the first audible frame lies where the
    // computed envelope first exceeds the silence level.
    const double onsetMs = 2000.0 * kSilence / (amplitude * gain);
    EXPECT_NEAR(recorded.size() * 1000.0 / kRate, 4000 - 2 * onsetMs, 30);
    std::vector<double> mismatches;
    for (size_t w = 0; w < windows; ++w) {
        const auto first = recorded.begin() + static_cast<ptrdiff_t>(w * kWindow);
        const double level = std::accumulate(first, first + kWindow, 0.0) / kWindow;
        const double ms = onsetMs + (w + 0.5) * 10;
        const double factor = ms < 2000 ? ms / 2000 : (4000 - ms) / 2000;
        if (std::abs(level / (amplitude * gain) - factor) > 0.02)
            mismatches.push_back(ms);
    }
    // A stream may lose a few milliseconds, so a few windows may miss their level.
    EXPECT_LE(mismatches.size(), windows / 30 + 1)
        << "first at " << (mismatches.empty() ? 0 : mismatches[0]) << " ms into the cut";
}
