#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/WmaDecoder.h"
#include "reliability/PipelineHarness.h"

#include "support/AudioFixtures.h"
#include "support/RecordingProgress.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

DecodeResult decode(IDecoder& decoder, const CString& input, const CString& output,
                    IOpProgress* progress = nullptr)
{
    IOpProgress silent;
    return decoder.decodeFile(input, output, progress ? progress : &silent);
}

size_t frames(const WavFileContents& wav)
{
    return wav.blockAlign ? wav.samples.size() / wav.blockAlign : 0;
}

int sample(const WavFileContents& wav, size_t index)
{
    int16_t value = 0;
    memcpy(&value, wav.samples.data() + 2 * index, 2);
    return value;
}

// The Windows Media decoder needs COM on the thread.
class DecoderTest : public testing::Test {
protected:
    DecoderTest() { CoInitialize(nullptr); }
    ~DecoderTest() override { CoUninitialize(); }

    // Decodes bytes written to a file of the given name; checks it is done.
    WavFileContents decoded(const wchar_t* name, const std::string& bytes)
    {
        WriteFileBytes(dir.file(name), bytes);
        CMp3Decoder decoder;
        EXPECT_EQ(decode(decoder, dir.file(name), dir.file(L"temp.in")), DecodeDone)
            << Narrow(name);
        return ReadWavFile(dir.file(L"temp.in"));
    }

    TempDir dir;
};

} // namespace

TEST_F(DecoderTest, EachDecoderWritesPcmOfItsSourcesLayoutAndLength)
{
    const struct {
        const wchar_t* input;
        MakeDecoder decoder;
        WORD channels;
        DWORD rate;
        size_t minFrames, maxFrames;
        UINT durationMs;
    } cases[] = {
        // The MP3 encoder adds its delay and pads to whole frames of 1152.
        {L"tone.mp3", make<CMp3Decoder>, 2, 44100, 132300, 132300 + 4 * 1152, 0},
        {L"mono.mp3", make<CMp3Decoder>, 1, 44100, 88200, 88200 + 4 * 1152, 0},
        {L"mono22k.ogg", make<COggDecoder>, 1, 22050, 33075, 33075, 0},
        {L"stereo.ogg", make<COggDecoder>, 2, 44100, 132300, 132300, 0},
        // Windows Media reports its Duration attribute in ms.
        {L"tone.wma", make<CWmaDecoder>, 2, 44100, 127890, 136710, 3000},
        // A video file gives its audio alone.
        {L"clip.wmv", make<CWmaDecoder>, 1, 44100, 81585, 94815, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.input));
        const std::unique_ptr<IDecoder> decoder = c.decoder();
        RecordingProgress progress;
        ASSERT_EQ(decode(*decoder, FixturePath(c.input), dir.file(L"temp.in"), &progress),
                  DecodeDone)
            << Narrow(decoder->errorText());
        const WavFileContents wav = ReadWavFile(dir.file(L"temp.in"));
        EXPECT_EQ(wav.formatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(wav.channels, c.channels);
        EXPECT_EQ(wav.sampleRate, c.rate);
        EXPECT_EQ(wav.avgBytesPerSec, c.rate * c.channels * 2);
        EXPECT_GE(frames(wav), c.minFrames);
        EXPECT_LE(frames(wav), c.maxFrames);
        // Windows Media counts its progress in ms, the others in bytes of the input.
        ASSERT_EQ(progress.ranges.size(), 1u);
        if (c.durationMs != 0) {
            EXPECT_NEAR(double(progress.ranges[0]), c.durationMs, 200.0);
        }
    }
}

TEST_F(DecoderTest, FailuresAndCancelLeaveNoOutput)
{
    const CString missing = dir.file(L"none.mp3");
    const struct {
        CString input;
        MakeDecoder decoder;
        int cancelAfterQuestions;
        DecodeResult result;
    } cases[] = {
        {FixturePath(L"tone.mp3"), make<CMp3Decoder>, 5, DecodeCancelled},
        {missing, make<CMp3Decoder>, -1, DecodeFailed},
        {FixturePath(L"stereo.ogg"), make<COggDecoder>, 0, DecodeCancelled},
        {FixturePath(L"tone.wma"), make<CWmaDecoder>, 0, DecodeCancelled},
        {dir.file(L"none.wma"), make<CWmaDecoder>, -1, DecodeFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.input) + ", result " + std::to_string(c.result));
        const std::unique_ptr<IDecoder> decoder = c.decoder();
        RecordingProgress progress(c.cancelAfterQuestions);
        EXPECT_EQ(decode(*decoder, c.input, dir.file(L"temp.in"), &progress), c.result);
        if (c.input == missing) {
            EXPECT_EQ(decoder->errorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
        EXPECT_FALSE(FileExists(dir.file(L"temp.in")));
    }
}

TEST_F(DecoderTest, Mp3SkipsTheId3v2TagAndLosesNoFrame)
{
    const std::string mp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    const WavFileContents plain = decoded(L"plain.mp3", mp3);
    // Behind an ID3v2 header of 10 + 257 bytes: the same samples, and the
    // progress counts the audio alone.
    const std::string tag =
        std::string("ID3\x03\x00\x00\x00\x00\x02\x01", 10) + std::string(257, 0);
    WriteFileBytes(dir.file(L"tagged.mp3"), tag + mp3);
    CMp3Decoder decoder;
    RecordingProgress progress;
    ASSERT_EQ(decode(decoder, dir.file(L"tagged.mp3"), dir.file(L"tagged.in"), &progress),
              DecodeDone);
    EXPECT_EQ(progress.ranges, std::vector<UINT>{static_cast<UINT>(mp3.size())});
    EXPECT_TRUE(ReadWavFile(dir.file(L"tagged.in")).samples == plain.samples);
    // The file twice over gives twice the frames: the last frame is not lost.
    EXPECT_EQ(frames(decoded(L"twice.mp3", mp3 + mp3)), 2 * frames(plain));
}

TEST_F(DecoderTest, OggMonoFileMatchesOggdec)
{
    COggDecoder decoder;
    ASSERT_EQ(decode(decoder, FixturePath(L"mono22k.ogg"), dir.file(L"temp.in")), DecodeDone);
    const WavFileContents wav = ReadWavFile(dir.file(L"temp.in"));
    const WavFileContents reference = ReadWavFile(FixturePath(L"mono22k_oggdec.wav"));
    ASSERT_TRUE(reference.valid);
    ASSERT_EQ(wav.samples.size(), reference.samples.size());
    // Both sides run libvorbis's float synthesis, built by different
    // compilers: the rounding of a sample may differ by one step, no more.
    for (size_t i = 0; i < frames(wav); ++i)
        ASSERT_LE(std::abs(sample(wav, i) - sample(reference, i)), 1) << i;
}

// Runs for real only in the ctest case WmaRuntimeMissing, whose Wine has
// wmvcore disabled by a DLL override.
TEST(WmaRuntimeMissing, DecoderGivesResult5AndNoOutput)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_WMVCORE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the run without the runtime";
    TempDir dir;
    CWmaDecoder decoder;
    EXPECT_EQ(decode(decoder, FixturePath(L"tone.wma"), dir.file(L"temp.in")),
              DecodeRuntimeMissing);
    EXPECT_EQ(decoder.errorText(), L"Windows media format components are not installed or they "
                                   L"are too old! Please install the Window Media Player 9 or "
                                   L"newer.");
    EXPECT_FALSE(FileExists(dir.file(L"temp.in")));
}
