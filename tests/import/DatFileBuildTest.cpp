#include "import/DatFileBuild.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "res/resource.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

WAVEFORMATEX pcmFormat(WORD channels, WORD bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = bits;
    return format;
}

std::string samples16(std::initializer_list<int16_t> values)
{
    std::string bytes(values.size() * 2, '\0');
    memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

int peakOf(const std::string& bytes, const WAVEFORMATEX& format)
{
    return computePeak(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()),
                       format);
}

} // namespace

TEST(ComputePeak, LargestMagnitudeOfTheFirstTwoChannels)
{
    EXPECT_EQ(peakOf(samples16({100, -200, 300}), pcmFormat(1, 16)), 300);
    EXPECT_EQ(peakOf(samples16({100, -32768}), pcmFormat(2, 16)), 32768);
    EXPECT_EQ(peakOf(samples16({100, 20000, 5}), pcmFormat(3, 16)), 100)
        << "a third channel does not count";
    EXPECT_EQ(peakOf("", pcmFormat(2, 16)), 0);
    EXPECT_EQ(peakOf(samples16({1000, 1000}), pcmFormat(1, 8)), 0);
    EXPECT_EQ(peakOf(samples16({1000, 1000}), pcmFormat(0, 16)), 0);
}

TEST(CreateDatFile, BuildsTheFileAndMeasuresThePeakOfASoxFile)
{
    TempDir dir;
    const CString source = FixturePath(L"pcm16.wav");
    const WavFileContents wav = ReadWavFile(source);
    ASSERT_TRUE(wav.valid);
    int expectedPeak = 0;
    for (size_t i = 0; i + 1 < wav.samples.size(); i += 2) {
        int16_t s;
        memcpy(&s, wav.samples.data() + i, 2);
        expectedPeak = std::max(expectedPeak, std::abs(int(s)));
    }

    CWavReader reader(source);
    RecordingProgress progress;
    int peak = -1;
    CString errorText;
    ASSERT_EQ(createDatFile(&reader, dir.file(L"temp"), &progress, peak, errorText), StepDone);
    EXPECT_EQ(peak, expectedPeak);
    EXPECT_GT(peak, 10000);
    const size_t frames = wav.samples.size() / 4;
    EXPECT_EQ(ReadFileBytes(dir.file(L"temp.dat")).size(), (frames + 440) / 441);
    EXPECT_EQ(progress.textIds, std::vector<UINT>{IDS_CREATING_DAT});
    EXPECT_EQ(progress.ranges, std::vector<UINT>{reader.getDataSize()});
    EXPECT_EQ(progress.positions.back(), reader.getDataSize());
}

TEST(CreateDatFile, CancelOrFailureLeavesNoDatFile)
{
    TempDir dir;
    const CString base = dir.file(L"temp");
    {
        CWavReader reader(FixturePath(L"pcm16.wav"));
        RecordingProgress cancelOnSecondBlock(1);
        int peak = 0;
        CString errorText;
        EXPECT_EQ(createDatFile(&reader, base, &cancelOnSecondBlock, peak, errorText),
                  StepCancelled);
        EXPECT_EQ(GetFileAttributesW(base + L".dat"), INVALID_FILE_ATTRIBUTES);
    }
    // A rate of 50 Hz has no DAT step.
    const CString slow = dir.file(L"slow.wav");
    WriteFileBytes(slow, MakeWavBytes(WAVE_FORMAT_PCM, 1, 50, 16, std::string(1000, '\1')));
    CWavReader reader(slow);
    IOpProgress silent;
    int peak = 0;
    CString errorText;
    EXPECT_EQ(createDatFile(&reader, base, &silent, peak, errorText), StepFailed);
    EXPECT_EQ(GetFileAttributesW(base + L".dat"), INVALID_FILE_ATTRIBUTES);
}
