#include "PlaybackFixtures.h"

#include "playback/WavPlayer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

// What the player sends to the wave output device, recorded from the
// PulseAudio null sink and compared with the envelope computed here. Any
// other program playing into the sink meanwhile spoils the recording.

namespace {

constexpr int kSilence = 64;
constexpr int kWindow = kRate / 100; // 10 ms

// Wine's translation of a Windows path to the Linux one a Linux program needs.
CString unixPath(const CString& windowsPath)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* path = toUnix ? toUnix(windowsPath) : nullptr;
    if (!path)
        return CString();
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, MAX_PATH);
    HeapFree(GetProcessHeap(), 0, path);
    return wide;
}

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
        // parec must not inherit the test's output: ctest waits for every
        // holder of that pipe, and the recorder outlives the test by design.
        command.Format(L"start.exe /unix /bin/sh -c \"exec >/dev/null 2>&1 </dev/null; "
                       L"exec /usr/bin/timeout %d /usr/bin/parec -d %s.monitor --raw "
                       L"--format=s16le --rate=44100 --channels=2 --latency-msec=20 '%s'\"",
                       maxSeconds, sink, unixPath(rawFile).GetString());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, command.GetBuffer(command.GetLength()), nullptr, nullptr, FALSE,
                           CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
            WaitForSingleObject(process.hProcess, 10000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        command.ReleaseBuffer();
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

// The audible frames of a recording. Every frame of a square wave is far from
// silence, so silent frames between the first and the last audible one are
// gaps the sound server of a loaded machine now and then puts into a stream;
// they are left out, which keeps the frames in step with the played ones.
struct Recording {
    std::vector<int> magnitudes;

    double audibleMs() const { return static_cast<double>(magnitudes.size()) * 1000 / kRate; }
    size_t windows() const { return magnitudes.size() / kWindow; }
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
        return levels.empty() ? 0 : levels[levels.size() / 2];
    }
};

class PlaybackRecordingTest : public testing::Test {
protected:
    // Plays [startMs, endMs) of the file while recording, and finds the
    // audible part of the recording, which must be expectedMs long at least.
    Recording playAndRecord(const CString& wav, int64_t startMs, int64_t endMs,
                            const CCutRegion* cut, double gain, int expectedMs)
    {
        // A recorder runs on after its playback: every one writes a file of its own.
        CString name;
        name.Format(L"recorded%d.raw", ++m_recordings);
        NullSinkRecorder recorder(dir.file(name), expectedMs / 1000 + 10);
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
        Recording recording;
        for (auto frame = onsetOf(left); frame != left.end(); ++frame)
            if (audible(*frame))
                recording.magnitudes.push_back(std::abs(static_cast<int>(*frame)));
        return recording;
    }

    TempDir dir;

private:
    int m_recordings = 0;
};

} // namespace

TEST_F(PlaybackRecordingTest, FadedCutRampsUpAndDownAsTheFadeFactor)
{
    constexpr int amplitude = 16000;
    const CString wav = dir.file(L"square.wav");
    writeSquareWav(wav, 6000, amplitude);
    const CCutRegion cut = cutOf(1000, 5000, 2000, 2000);
    const Recording recording = playAndRecord(wav, 1000, 5000, &cut, 1.0, 4000);
    ASSERT_GT(recording.windows(), 0u);

    // The ramp starts at silence, so the first audible frame lies where the
    // computed envelope first exceeds the silence level.
    const double onsetMs = 2000.0 * kSilence / amplitude;
    EXPECT_NEAR(recording.audibleMs(), 4000 - 2 * onsetMs, 30);
    std::vector<double> mismatches;
    for (size_t w = 0; w < recording.windows(); ++w) {
        const double ms = onsetMs + (w + 0.5) * 10;
        const double factor = ms < 2000 ? ms / 2000 : (4000 - ms) / 2000;
        if (std::abs(recording.windowMagnitude(w) / amplitude - factor) > 0.02)
            mismatches.push_back(ms);
    }
    // A stream may lose a few milliseconds, so a few windows may miss their level.
    EXPECT_LE(mismatches.size(), recording.windows() / 30 + 1)
        << "first at " << (mismatches.empty() ? 0 : mismatches[0]) << " ms into the cut";
}

TEST_F(PlaybackRecordingTest, EndPastTheFilePlaysToItsEndAndGainScalesTheLevel)
{
    constexpr int amplitude = 4000;
    const CString wav = dir.file(L"quiet.wav");
    writeSquareWav(wav, 1500, amplitude);
    const Recording plain = playAndRecord(wav, 500, 10000, nullptr, 1.0, 1000);
    EXPECT_NEAR(plain.audibleMs(), 1000, 30);
    EXPECT_NEAR(plain.typicalMagnitude(), amplitude, 1);

    const double normalisation = 32767.0 / amplitude;
    const Recording louder = playAndRecord(wav, 0, 1000, nullptr, normalisation, 1000);
    ASSERT_GT(louder.windows(), 50u);
    // The samples are truncated after scaling.
    EXPECT_NEAR(louder.typicalMagnitude(), std::trunc(amplitude * normalisation), 1);
}
