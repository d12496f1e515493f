#include "infra/KestraException.h"
#include "reliability/PipelineHarness.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

TEST(WavReader, ReadsTheDataChunkAloneAndSeeksWithinIt)
{
    const WavFileContents sox = ReadWavFile(FixturePath(L"pcm16.wav"));
    CWavReader reader(FixturePath(L"pcm16.wav"));
    EXPECT_EQ(reader.getDurationMs(), 3000);
    EXPECT_EQ(ReadAllSamples(reader), sox.samples);

    // A LIST chunk after the samples must not be read as samples.
    TempDir dir;
    const std::string samples(441000, '\x11');
    WriteFileBytes(dir.file(L"list.wav"), MakeWavBytes(WAVE_FORMAT_PCM, 2, 44100, 16, samples) +
                                              std::string("LIST\x04\x00\x00\x00INFO", 12));
    CWavReader list(dir.file(L"list.wav"));
    EXPECT_EQ(list.getDurationMs(), 2500);
    EXPECT_EQ(ReadAllSamples(list), samples);
    // Seeks stay inside the data chunk, on whole frames: 1 ms is 44.1 frames.
    EXPECT_EQ(list.seek(1), 44 + 44 * 4);
    EXPECT_EQ(list.seek(100000), 44 + 441000);
    char buffer[16];
    EXPECT_EQ(list.read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(list.seek(0), 44);

    // Failures carry their reason (one of the system's:
    // InputInUse.HeldInputIsReportedAndDeletingItWhileItIsReadIsRefused).
    // A 14-byte format chunk would take its bit depth from the "da" of "data".
    std::string shortFormat = MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, std::string(8, '\0'));
    shortFormat.replace(16, 4, std::string("\x0e\0\0\0", 4)).erase(34, 2);
    const std::pair<std::string, const char*> broken[] = {
        {MakeWavBytes(WAVE_FORMAT_PCM, 1, 8000, 16, "").substr(0, 36), "couldn't get data chunk"},
        {shortFormat, "format chunk of 14 bytes, under 16"}};
    for (const auto& [bytes, reason] : broken) {
        WriteFileBytes(dir.file(L"broken.wav"), bytes);
        try {
            CWavReader reader(dir.file(L"broken.wav"));
            ADD_FAILURE() << "opened: " << reason;
        } catch (const CKestraException& e) {
            EXPECT_EQ(e.code(), CKestraException::WrapInOpenMessage);
            EXPECT_EQ(Narrow(e.message()), reason);
        }
    }
}
