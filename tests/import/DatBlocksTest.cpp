#include "import/DatFileBuild.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "import/WavWriter.h"

#include "support/AudioFixtures.h"
#include "support/RecordingProgress.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct DatStep {
    int result = -1;
    std::string dat;
    int peak = -1;
    std::vector<UINT> positions;
};

DatStep runDatStep(const CString& wav, const CString& base, const CDatBlocks* measured,
                   int cancelAfter = -1)
{
    CWavReader reader(wav);
    RecordingProgress progress(cancelAfter);
    DatStep step;
    CString errorText;
    // Read back on two threads, in pieces whose phases must join up.
    step.result = createDatFile(&reader, base, &progress, step.peak, errorText, measured, 2);
    step.dat = ReadFileBytes(base + L".dat");
    step.positions = progress.positions;
    DeleteFileW(base + L".dat");
    return step;
}

} // namespace

TEST(DatBlocks, ValuesMeasuredWhileWritingMakeTheFileReadingBackMakes)
{
    TempDir dir;
    const CString base = dir.file(L"temp");
    // Three channels at 48 kHz have frames that do not divide the DAT step's blocks.
    const std::pair<WORD, DWORD> layouts[] = {{2, 44100}, {1, 22050}, {3, 48000}};
    // Writes of any size, frames split across them, as well as whole blocks.
    const UINT writeSizes[] = {7, 99993, 150000, 1, 100000, 40000};
    std::mt19937 random(12345);
    for (const auto& [channels, rate] : layouts) {
        SCOPED_TRACE(testing::Message() << channels << " channels");
        // Noise over the whole 16-bit range, starting with -32768.
        std::string samples(size_t(400001) * channels * 2, '\0');
        for (char& byte : samples)
            byte = static_cast<char>(random());
        samples.replace(0, 2, "\x00\x80", 2);
        const CString wav = dir.file(L"decoded.wav");
        const WAVEFORMATEX format = Pcm16Format(channels, rate);
        CDatBlocks measured;
        {
            CWavWriter writer;
            ASSERT_TRUE(writer.create(wav, &format, &measured));
            size_t at = 0;
            for (int i = 0; at < samples.size(); ++i) {
                const size_t size = std::min<size_t>(writeSizes[i % 6], samples.size() - at);
                ASSERT_TRUE(writer.write(samples.data() + at, static_cast<int>(size)));
                at += size;
            }
        }
        const DatStep readBack = runDatStep(wav, base, nullptr);
        const DatStep fromMeasured = runDatStep(wav, base, &measured);
        ASSERT_EQ(readBack.result, StepDone);
        EXPECT_EQ(fromMeasured.result, StepDone);
        EXPECT_EQ(fromMeasured.dat, readBack.dat);
        EXPECT_EQ(fromMeasured.peak, 32768);
        EXPECT_EQ(fromMeasured.peak, readBack.peak);
        EXPECT_EQ(fromMeasured.positions, readBack.positions);
        EXPECT_GT(readBack.positions.size(), 2u);

        const DatStep cancelled = runDatStep(wav, base, &measured, 1);
        EXPECT_EQ(cancelled.result, StepCancelled);
        EXPECT_EQ(cancelled.positions, std::vector<UINT>{readBack.positions.front()});
        EXPECT_TRUE(cancelled.dat.empty());

        // A file that is not the one measured is read back.
        WriteFileBytes(wav, MakeWavBytes(WAVE_FORMAT_PCM, channels, rate, 16,
                                         samples.substr(0, samples.size() / 2)));
        const DatStep other = runDatStep(wav, base, &measured);
        EXPECT_EQ(other.dat, runDatStep(wav, base, nullptr).dat);
        EXPECT_LT(other.dat.size(), readBack.dat.size());
    }
}
