#include "import/DatFileBuild.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "infra/KestraException.h"
#include "res/resource.h"

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

TEST(WavReader, ReadsAndSeeksTheDataChunkOfFilesOfOtherWriters)
{
    const WavFileContents sox = ReadWavFile(FixturePath(L"pcm16.wav"));
    ASSERT_TRUE(sox.valid);
    CWavReader reader(FixturePath(L"pcm16.wav"));
    ASSERT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.getFormat()->nChannels, 2);
    EXPECT_EQ(reader.getFormat()->nSamplesPerSec, 44100u);
    EXPECT_EQ(reader.getFormat()->wBitsPerSample, 16);
    EXPECT_EQ(reader.getDataSize(), sox.samples.size());
    EXPECT_EQ(reader.getDurationMs(), 3000);
    EXPECT_EQ(readAll(reader), sox.samples);
    reader.close();
    EXPECT_EQ(reader.getFormat(), nullptr);
    char buffer[16];
    EXPECT_EQ(reader.read(buffer, 10), static_cast<UINT>(-1));
    EXPECT_EQ(reader.seek(0), -1);

    // A LIST chunk after the samples must not be read as samples.
    TempDir dir;
    const std::string samples(441000, '\x11');
    WriteFileBytes(dir.file(L"list.wav"), MakeWavBytes(WAVE_FORMAT_PCM, 2, 44100, 16, samples) +
                                              std::string("LIST\x04\x00\x00\x00INFO", 12));
    CWavReader list(dir.file(L"list.wav"));
    EXPECT_EQ(list.getDurationMs(), 2500);
    EXPECT_EQ(readAll(list), samples);
    // Seeks stay inside the data chunk, on whole frames: 1 ms is 44.1 frames.
    EXPECT_EQ(list.seek(1000), 44 + 176400);
    EXPECT_EQ(list.seek(1), 44 + 44 * 4);
    EXPECT_EQ(list.seek(100000), 44 + 441000);
    EXPECT_EQ(list.read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(list.seek(0), 44);
}

TEST(WavReader, OpenFailuresCarryTheirReasonAndOddLayoutsDivideByNothing)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"nodata.wav"),
                   MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, "").substr(0, 36));
    const auto opening = [&](const wchar_t* name, const char* reason) {
        return "error opening file " + Narrow(dir.file(name)) + ": " + reason;
    };
    const std::pair<const wchar_t*, std::string> failures[] = {
        {L"none.wav", opening(L"none.wav", "the file was not found")},
        {L"gone\\none.wav",
         opening(L"gone\\none.wav", "the directory specification is incorrect.")},
        {L"nodata.wav", "couldn't get data chunk"},
    };
    for (const auto& [name, reason] : failures)
        EXPECT_EQ(openFailure(dir.file(name)), reason);

    for (const auto& [channels, rate, bits] :
         {std::tuple<uint16_t, uint32_t, uint16_t>{0, 44100, 16}, {2, 0, 16}, {2, 44100, 0}}) {
        WriteFileBytes(dir.file(L"odd.wav"),
                       MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, bits, std::string(64, 'a')));
        CWavReader reader(dir.file(L"odd.wav"));
        EXPECT_FALSE(HasUsableLayout(*reader.getFormat()));
        EXPECT_EQ(reader.getDurationMs(), 0);
        EXPECT_EQ(reader.seek(1000), 44);
    }
}

TEST(WavConversion, EightBitFileMatchesSoxSampleForSample)
{
    // The ends of the range and the block converter's capacity check.
    const BYTE input[] = {0, 128, 255, 129};
    int16_t output[4];
    int capacity = sizeof(output);
    ASSERT_TRUE(Convert8To16Bit(input, 4, reinterpret_cast<BYTE*>(output), capacity));
    EXPECT_EQ(capacity, 8);
    EXPECT_EQ(std::vector<int16_t>(output, output + 4),
              (std::vector<int16_t>{-32768, 0, 32512, 256}));
    capacity = 7;
    EXPECT_FALSE(Convert8To16Bit(input, 4, reinterpret_cast<BYTE*>(output), capacity));

    TempDir dir;
    CWavReader reader(FixturePath(L"pcm8.wav"));
    RecordingProgress progress;
    CString errorText;
    ASSERT_EQ(convertWavFrom8Bit(&reader, dir.file(L"temp.in"), &progress, errorText), StepDone);
    EXPECT_TRUE(errorText.IsEmpty());
    EXPECT_EQ(progress.textIds, std::vector<UINT>{IDS_CONVERTING_WAV});
    EXPECT_EQ(progress.ranges, std::vector<UINT>{reader.getDataSize()});
    EXPECT_EQ(progress.positions.back(), reader.getDataSize());
    const WavFileContents ours = ReadWavFile(dir.file(L"temp.in"));
    const WavFileContents sox = ReadWavFile(FixturePath(L"pcm8_sox16.wav"));
    ASSERT_TRUE(sox.valid);
    EXPECT_EQ(ours.bitsPerSample, 16);
    EXPECT_EQ(ours.blockAlign, 2);
    EXPECT_EQ(ours.avgBytesPerSec, 16000u);
    EXPECT_EQ(ours.sampleRate, sox.sampleRate);
    EXPECT_EQ(ours.samples, sox.samples);
}

TEST(CreateDatFile, BuildsTheFileAndMeasuresThePeakOfTheFirstTwoChannels)
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
    RecordingProgress progress;
    int peak = -1;
    CString errorText;
    ASSERT_EQ(createDatFile(&reader, dir.file(L"temp"), &progress, peak, errorText), StepDone);
    EXPECT_EQ(peak, expectedPeak);
    EXPECT_GT(peak, 10000);
    EXPECT_EQ(ReadFileBytes(dir.file(L"temp.dat")).size(), (wav.samples.size() / 4 + 440) / 441);
    EXPECT_EQ(progress.textIds, std::vector<UINT>{IDS_CREATING_DAT});
    EXPECT_EQ(progress.ranges, std::vector<UINT>{reader.getDataSize()});
    EXPECT_EQ(progress.positions.back(), reader.getDataSize());

    const auto peakOf = [](std::vector<int16_t> samples, WORD channels, WORD bits) {
        return computePeak(reinterpret_cast<const BYTE*>(samples.data()),
                           static_cast<UINT>(samples.size() * 2), pcmFormat(channels, 44100, bits));
    };
    EXPECT_EQ(peakOf({100, -200, 300}, 1, 16), 300);
    EXPECT_EQ(peakOf({100, -32768}, 2, 16), 32768);
    EXPECT_EQ(peakOf({100, 20000, 5}, 3, 16), 100) << "a third channel does not count";
    EXPECT_EQ(peakOf({}, 2, 16), 0);
    EXPECT_EQ(peakOf({1000, 1000}, 1, 8), 0);
    EXPECT_EQ(peakOf({1000, 1000}, 0, 16), 0);
}

TEST(ImportSteps, CancelledOrFailedStepsLeaveNoFile)
{
    TempDir dir;
    const CString dat = dir.file(L"temp.dat");
    IOpProgress quiet;
    RecordingProgress cancelAtOnce(0), cancelOnSecondBlock(1);
    int peak = 0;
    CString errorText;
    CWavReader sixteen(FixturePath(L"pcm16.wav"));
    EXPECT_EQ(createDatFile(&sixteen, dir.file(L"temp"), &cancelOnSecondBlock, peak, errorText),
              StepCancelled);
    EXPECT_EQ(GetFileAttributesW(dat), INVALID_FILE_ATTRIBUTES);
    // A rate of 50 Hz has no DAT step.
    WriteFileBytes(dir.file(L"slow.wav"),
                   MakeWavBytes(WAVE_FORMAT_PCM, 1, 50, 16, std::string(1000, '\1')));
    CWavReader slow(dir.file(L"slow.wav"));
    EXPECT_EQ(createDatFile(&slow, dir.file(L"temp"), &quiet, peak, errorText), StepFailed);
    EXPECT_EQ(GetFileAttributesW(dat), INVALID_FILE_ATTRIBUTES);

    CWavReader eight(FixturePath(L"pcm8.wav"));
    EXPECT_EQ(convertWavFrom8Bit(&eight, dat, &cancelAtOnce, errorText), StepCancelled);
    EXPECT_EQ(GetFileAttributesW(dat), INVALID_FILE_ATTRIBUTES);
    errorText.Empty();
    EXPECT_EQ(convertWavFrom8Bit(&eight, dir.file(L"no\\such\\temp.in"), &quiet, errorText),
              StepFailed);
    EXPECT_FALSE(errorText.IsEmpty());
}
