#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/WmaDecoder.h"

#include "support/AudioFixtures.h"
#include "support/RecordingProgress.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using MakeDecoder = std::function<std::unique_ptr<IDecoder>()>;
template <class Decoder> MakeDecoder make()
{
    return [] { return std::make_unique<Decoder>(); };
}

bool exists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

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

TEST(Mp3Decoder, SamplesRoundToSixteenBitsAndClipAtFullScale)
{
    // Full scale and beyond clip; the rest rounds to 16 bits.
    const std::pair<int, int> conversions[] = {{0x10000000, 32767},   {0x7FFFFFFF, 32767},
                                               {-0x10000000, -32767}, {-0x0FFFFFFF, -32768},
                                               {0x2000, 1},           {-1, -1}};
    for (const auto& [fixed, expected] : conversions)
        EXPECT_EQ(CMp3Decoder::convertSample(fixed), expected) << fixed;
}

TEST_F(DecoderTest, EachDecoderWritesPcmOfItsSourcesLayoutAndLength)
{
    const struct {
        const wchar_t* input;
        MakeDecoder decoder;
        WORD channels;
        DWORD rate;
        size_t minFrames, maxFrames;
        UINT durationMs; // the progress range; 0: counted in bytes of the input
    } cases[] = {
        // The MP3 encoder adds its delay and pads to whole frames of 1152.
        {L"tone.mp3", make<CMp3Decoder>(), 2, 44100, 132300, 132300 + 4 * 1152, 0},
        {L"mono.mp3", make<CMp3Decoder>(), 1, 44100, 88200, 88200 + 4 * 1152, 0},
        {L"mono22k.ogg", make<COggDecoder>(), 1, 22050, 33075, 33075, 0},
        {L"stereo.ogg", make<COggDecoder>(), 2, 44100, 132300, 132300, 0},
        // Windows Media reports its Duration attribute in ms.
        {L"tone.wma", make<CWmaDecoder>(), 2, 44100, 127890, 136710, 3000},
        // A video file gives its audio alone.
        {L"clip.wmv", make<CWmaDecoder>(), 1, 44100, 81585, 94815, 2000},
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
        EXPECT_EQ(wav.blockAlign, c.channels * 2);
        EXPECT_EQ(wav.avgBytesPerSec, c.rate * c.channels * 2);
        EXPECT_GE(frames(wav), c.minFrames);
        EXPECT_LE(frames(wav), c.maxFrames);
        ASSERT_EQ(progress.ranges.size(), 1u);
        if (c.durationMs == 0) {
            // The MP3 range is checked with the ID3v2 tag; the Ogg range
            // leaves out the header pages, which the positions count.
            EXPECT_GT(progress.ranges[0], 0u);
            ASSERT_FALSE(progress.positions.empty());
            EXPECT_EQ(progress.positions.back(), ReadFileBytes(FixturePath(c.input)).size());
        } else {
            EXPECT_NEAR(double(progress.ranges[0]), c.durationMs, 200.0);
        }
    }
}

TEST_F(DecoderTest, FailuresAndCancelLeaveNoOutput)
{
    WriteFileBytes(dir.file(L"notes.mp3"), std::string(20000, 'a'));
    const CString missing = dir.file(L"none.mp3");
    const struct {
        CString input;
        MakeDecoder decoder;
        int cancelAfterQuestions;
        DecodeResult result;
        const wchar_t* text; // null: any
    } cases[] = {
        {dir.file(L"notes.mp3"), make<CMp3Decoder>(), -1, DecodeInvalidFile, L"Invalid mp3 file!"},
        {FixturePath(L"tone.mp3"), make<CMp3Decoder>(), 5, DecodeCancelled, nullptr},
        {missing, make<CMp3Decoder>(), -1, DecodeFailed, nullptr},
        {FixturePath(L"chained.ogg"), make<COggDecoder>(), -1, DecodeNotSupported,
         L"Cannot open ogg files with multiple streams."},
        {FixturePath(L"tone.mp3"), make<COggDecoder>(), -1, DecodeFailed, nullptr},
        {FixturePath(L"stereo.ogg"), make<COggDecoder>(), 0, DecodeCancelled, nullptr},
        {FixturePath(L"tone.wma"), make<CWmaDecoder>(), 0, DecodeCancelled, nullptr},
        {dir.file(L"none.wma"), make<CWmaDecoder>(), -1, DecodeFailed, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.input) + ", result " + std::to_string(c.result));
        const std::unique_ptr<IDecoder> decoder = c.decoder();
        RecordingProgress progress(c.cancelAfterQuestions);
        EXPECT_EQ(decode(*decoder, c.input, dir.file(L"temp.in"), &progress), c.result);
        if (c.text) {
            EXPECT_EQ(decoder->errorText(), c.text);
        }
        if (c.input == missing) {
            EXPECT_EQ(decoder->errorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
        EXPECT_FALSE(exists(dir.file(L"temp.in")));
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

TEST_F(DecoderTest, Mp3LaterFramesTakeTheFirstFramesChannelLayout)
{
    const std::string stereoMp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    const std::string monoMp3 = ReadFileBytes(FixturePath(L"mono.mp3"));
    const WavFileContents stereo = decoded(L"stereo.mp3", stereoMp3);
    const WavFileContents mono = decoded(L"mono.mp3", monoMp3);
    // The synthesis filter carries a channel's history across the seam, so
    // the first frame after it is left out of the comparisons.
    constexpr size_t kSeam = 1152;

    // Stereo first: the mono frames fill both channels alike.
    const WavFileContents widened = decoded(L"widened.mp3", stereoMp3 + monoMp3);
    ASSERT_EQ(widened.channels, 2);
    ASSERT_EQ(frames(widened), frames(stereo) + frames(mono));
    int loudest = 0;
    for (size_t frame = frames(stereo); frame < frames(widened); ++frame) {
        ASSERT_EQ(sample(widened, 2 * frame), sample(widened, 2 * frame + 1)) << frame;
        loudest = std::max(loudest, std::abs(sample(widened, 2 * frame)));
        if (frame >= frames(stereo) + kSeam) {
            ASSERT_EQ(sample(widened, 2 * frame), sample(mono, frame - frames(stereo))) << frame;
        }
    }
    EXPECT_GT(loudest, 8000) << "the mono part is sound, not silence";

    // Mono first: the stereo frames are mixed down to their channels' mean.
    const WavFileContents narrowed = decoded(L"narrowed.mp3", monoMp3 + stereoMp3);
    ASSERT_EQ(narrowed.channels, 1);
    ASSERT_EQ(frames(narrowed), frames(mono) + frames(stereo));
    for (size_t frame = kSeam; frame < frames(stereo); ++frame) {
        const int mean = (sample(stereo, 2 * frame) + sample(stereo, 2 * frame + 1)) / 2;
        ASSERT_NEAR(sample(narrowed, frames(mono) + frame), mean, 1) << frame;
    }
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
    EXPECT_FALSE(exists(dir.file(L"temp.in")));
}
