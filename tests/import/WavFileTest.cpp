#include "import/DatFileBuild.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "infra/KestraException.h"

#include "support/AudioFixtures.h"
#include "support/RecordingProgress.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

WAVEFORMATEX pcmFormat(WORD channels, DWORD rate, WORD bits)
{
    const WORD blockAlign = static_cast<WORD>(channels * bits / 8);
    return {WAVE_FORMAT_PCM, channels, rate, rate * blockAlign, blockAlign, bits, 0};
}

std::string readAll(CWavReader& reader)
{
    std::string samples;
    char buffer[3000];
    for (UINT n; (n = reader.read(buffer, sizeof(buffer))) != 0;)
        samples.append(buffer, n);
    return samples;
}

std::string openFailure(const wchar_t* path)
{
    try {
        CWavReader reader(path);
    } catch (const CKestraException& e) {
        EXPECT_EQ(e.code(), CKestraException::WrapInOpenMessage);
        return Narrow(e.message());
    }
    return "opened";
}

} // namespace

TEST(WavReader, ReadsTheDataChunkAloneAndSeeksWithinIt)
{
    const WavFileContents sox = ReadWavFile(FixturePath(L"pcm16.wav"));
    CWavReader reader(FixturePath(L"pcm16.wav"));
    EXPECT_EQ(reader.getDurationMs(), 3000);
    EXPECT_EQ(readAll(reader), sox.samples);

    // A LIST chunk after the samples must not be read as samples.
    TempDir dir;
    const std::string samples(441000, '\x11');
    WriteFileBytes(dir.file(L"list.wav"), MakeWavBytes(WAVE_FORMAT_PCM, 2, 44100, 16, samples) +
                                              std::string("LIST\x04\x00\x00\x00INFO", 12));
    CWavReader list(dir.file(L"list.wav"));
    EXPECT_EQ(list.getDurationMs(), 2500);
    EXPECT_EQ(readAll(list), samples);
    // Seeks stay inside the data chunk, on whole frames: 1 ms is 44.1 frames.
    EXPECT_EQ(list.seek(1), 44 + 44 * 4);
    EXPECT_EQ(list.seek(100000), 44 + 441000);
    char buffer[16];
    EXPECT_EQ(list.read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(list.seek(0), 44);

    // Failures carry their reason; layouts without frames divide by nothing.
    WriteFileBytes(dir.file(L"nodata.wav"),
                   MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, "").substr(0, 36));
    EXPECT_EQ(openFailure(dir.file(L"gone\\none.wav")),
              "error opening file " + Narrow(dir.file(L"gone\\none.wav")) +
                  ": the directory specification is incorrect.");
    EXPECT_EQ(openFailure(dir.file(L"nodata.wav")), "couldn't get data chunk");
    for (const auto& [channels, rate, bits] :
         {std::tuple<uint16_t, uint32_t, uint16_t>{0, 44100, 16}, {2, 0, 16}, {2, 44100, 0}}) {
        WriteFileBytes(dir.file(L"odd.wav"),
                       MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, bits, std::string(64, 'a')));
        CWavReader odd(dir.file(L"odd.wav"));
        EXPECT_FALSE(HasUsableLayout(*odd.getFormat()));
        EXPECT_EQ(odd.getDurationMs(), 0);
        EXPECT_EQ(odd.seek(1000), 44);
    }
}

TEST(WavConversion, EightBitFileMatchesSoxSampleForSample)
{
    // The block converter refuses a buffer one byte short.
    const BYTE input[] = {0, 128, 255, 129};
    int16_t output[4];
    int capacity = 7;
    EXPECT_FALSE(Convert8To16Bit(input, 4, reinterpret_cast<BYTE*>(output), capacity));

    TempDir dir;
    CWavReader reader(FixturePath(L"pcm8.wav"));
    IOpProgress quiet;
    CString errorText;
    ASSERT_EQ(convertWavFrom8Bit(&reader, dir.file(L"temp.in"), &quiet, errorText), StepDone);
    const WavFileContents ours = ReadWavFile(dir.file(L"temp.in"));
    const WavFileContents sox = ReadWavFile(FixturePath(L"pcm8_sox16.wav"));
    ASSERT_TRUE(sox.valid);
    EXPECT_EQ(ours.blockAlign, 2);
    EXPECT_EQ(ours.avgBytesPerSec, 16000u);
    EXPECT_EQ(ours.sampleRate, sox.sampleRate);
    EXPECT_EQ(ours.samples, sox.samples);
}

TEST(CreateDatFile, MeasuresThePeakOfTheFirstTwoChannels)
{
    const WavFileContents wav = ReadWavFile(FixturePath(L"pcm16.wav"));
    int expectedPeak = 0;
    for (size_t i = 0; i + 1 < wav.samples.size(); i += 2) {
        int16_t s;
        memcpy(&s, wav.samples.data() + i, 2);
        expectedPeak = std::max(expectedPeak, std::abs(int(s)));
    }
    TempDir dir;
    CWavReader reader(FixturePath(L"pcm16.wav"));
    IOpProgress quiet;
    int peak = -1;
    CString errorText;
    ASSERT_EQ(createDatFile(&reader, dir.file(L"temp"), &quiet, peak, errorText), StepDone);
    EXPECT_EQ(peak, expectedPeak);
    EXPECT_GT(peak, 10000);

    // -32768 has no positive twin; a layout without channels has no frames.
    const int16_t samples[] = {100, -32768};
    EXPECT_EQ(computePeak(reinterpret_cast<const BYTE*>(samples), 4, pcmFormat(2, 44100, 16)),
              32768);
    EXPECT_EQ(computePeak(reinterpret_cast<const BYTE*>(samples), 4, pcmFormat(0, 44100, 16)), 0);
}

TEST(WavConversion, CancelledOrFailedConversionLeavesNoFile)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    RecordingProgress cancelAtOnce(0);
    IOpProgress quiet;
    CString errorText;
    CWavReader eight(FixturePath(L"pcm8.wav"));
    EXPECT_EQ(convertWavFrom8Bit(&eight, output, &cancelAtOnce, errorText), StepCancelled);
    EXPECT_EQ(GetFileAttributesW(output), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(convertWavFrom8Bit(&eight, dir.file(L"no\\such\\temp.in"), &quiet, errorText),
              StepFailed);
    EXPECT_FALSE(errorText.IsEmpty());
}
