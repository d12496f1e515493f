#include "import/DatFileBuild.h"
#include "import/WavConversion.h"
#include "import/WavReader.h"
#include "import/WavWriter.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

// The DAT step from the values measured while a decoder wrote the WAV file
// must be the DAT step that reads the file back: same file, peak, progress
// and cancellation points.

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
    step.result = createDatFile(&reader, base, &progress, step.peak, errorText, measured);
    step.dat = ReadFileBytes(base + L".dat");
    step.positions = progress.positions;
    DeleteFileW(base + L".dat");
    return step;
}

// Noise over the whole 16-bit range, starting with -32768.
std::string noise(size_t samples)
{
    std::string bytes(samples * 2, '\0');
    uint32_t state = 12345;
    for (size_t i = 0; i < samples; ++i) {
        state = state * 1664525u + 1013904223u;
        const int16_t value = i == 0 ? int16_t(-32768) : int16_t(state >> 16);
        memcpy(bytes.data() + 2 * i, &value, 2);
    }
    return bytes;
}

} // namespace

TEST(DatBlocks, ValuesMeasuredWhileWritingMakeTheFileReadingBackMakes)
{
    TempDir dir;
    const CString base = dir.file(L"temp");
    // Three channels at 48 kHz have frames that do not divide the DAT step's blocks.
    const struct {
        WORD channels;
        DWORD rate;
    } layouts[] = {{2, 44100}, {1, 22050}, {3, 48000}};
    // Writes of any size, frames split across them, as well as whole blocks.
    const UINT writeSizes[] = {7, 99993, 150000, 1, 100000, 40000};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(testing::Message() << layout.channels << " channels");
        const std::string samples = noise(size_t(150001) * layout.channels);
        const CString wav = dir.file(L"decoded.wav");
        const WAVEFORMATEX format = Pcm16Format(layout.channels, layout.rate);
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
        WriteFileBytes(wav, MakeWavBytes(WAVE_FORMAT_PCM, layout.channels, layout.rate, 16,
                                         samples.substr(0, samples.size() / 2)));
        const DatStep other = runDatStep(wav, base, &measured);
        EXPECT_EQ(other.dat, runDatStep(wav, base, nullptr).dat);
        EXPECT_LT(other.dat.size(), readBack.dat.size());
    }
}
