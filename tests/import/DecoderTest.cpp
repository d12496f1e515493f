#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/WmaDecoder.h"

#include "tests/support/AudioFixtures.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <mad.h>

namespace {

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

int largestSampleDifference(const std::string& a, const std::string& b)
{
    int largest = 0;
    for (size_t i = 0; i + 1 < std::min(a.size(), b.size()); i += 2) {
        int16_t x, y;
        memcpy(&x, a.data() + i, 2);
        memcpy(&y, b.data() + i, 2);
        largest = std::max(largest, std::abs(x - y));
    }
    return largest;
}

// The fixture's MP3 behind an ID3v2 header of 10 + 257 bytes.
CString mp3WithTag(const TempDir& dir)
{
    std::string tag("ID3\x03\x00\x00\x00\x00\x02\x01", 10);
    tag += std::string(257, '\0');
    const CString path = dir.file(L"tagged.mp3");
    WriteFileBytes(path, tag + ReadFileBytes(FixturePath(L"tone.mp3")));
    return path;
}

} // namespace

TEST(Mp3Decoder, Id3v2TagSizeAndSampleConversion)
{
    const BYTE tag[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 2, 1};
    EXPECT_EQ(CMp3Decoder::id3v2TagSize(tag, 10), 267u);
    const BYTE badSize[] = {'I', 'D', '3', 3, 0, 0, 0, 0x80, 2, 1};
    EXPECT_EQ(CMp3Decoder::id3v2TagSize(badSize, 10), 0u);
    const BYTE noMagic[] = {'X', 'D', '3', 3, 0, 0, 0, 0, 2, 1};
    EXPECT_EQ(CMp3Decoder::id3v2TagSize(noMagic, 10), 0u);
    EXPECT_EQ(CMp3Decoder::id3v2TagSize(noMagic, 10, true), 267u);
    EXPECT_EQ(CMp3Decoder::id3v2TagSize(tag, 9), 0u);

    EXPECT_EQ(CMp3Decoder::convertSample(0x10000000), 32767);
    EXPECT_EQ(CMp3Decoder::convertSample(0x7FFFFFFF), 32767);
    EXPECT_EQ(CMp3Decoder::convertSample(-0x10000000), -32767);
    EXPECT_EQ(CMp3Decoder::convertSample(-0x0FFFFFFF), -32768);
    EXPECT_EQ(CMp3Decoder::convertSample(0x2000), 1);
    EXPECT_EQ(CMp3Decoder::convertSample(-1), -1);
}

TEST(Mp3Decoder, DecodesStereoAndMonoToTheSourceLength)
{
    TempDir dir;
    struct Case {
        const wchar_t* mp3;
        const wchar_t* source;
        WORD channels;
    } cases[] = {{L"tone.mp3", L"pcm16.wav", 2}, {L"mono.mp3", L"mono16.wav", 1}};
    for (const Case& c : cases) {
        CMp3Decoder decoder;
        const CString output = dir.file(L"temp.in");
        ASSERT_EQ(decode(decoder, FixturePath(c.mp3), output), DecodeDone) << Narrow(c.mp3);
        const WavFileContents wav = ReadWavFile(output);
        const WavFileContents source = ReadWavFile(FixturePath(c.source));
        EXPECT_EQ(wav.channels, c.channels);
        EXPECT_EQ(wav.blockAlign, c.channels * 2);
        EXPECT_EQ(wav.sampleRate, 44100u);
        EXPECT_EQ(wav.avgBytesPerSec, 44100u * c.channels * 2);
        // The encoder adds its delay and pads to whole frames of 1152.
        EXPECT_GE(frames(wav), frames(source));
        EXPECT_LE(frames(wav), frames(source) + 4 * 1152);
    }
    // The file twice over gives twice the frames: the last frame is not lost.
    const CString twice = dir.file(L"twice.mp3");
    WriteFileBytes(twice, ReadFileBytes(FixturePath(L"tone.mp3")) +
                              ReadFileBytes(FixturePath(L"tone.mp3")));
    CMp3Decoder once, again;
    ASSERT_EQ(decode(once, FixturePath(L"tone.mp3"), dir.file(L"once.in")), DecodeDone);
    ASSERT_EQ(decode(again, twice, dir.file(L"twice.in")), DecodeDone);
    EXPECT_EQ(frames(ReadWavFile(dir.file(L"twice.in"))),
              2 * frames(ReadWavFile(dir.file(L"once.in"))));
}

TEST(Mp3Decoder, LaterFramesTakeTheFirstFramesChannelLayout)
{
    TempDir dir;
    const std::string stereoMp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    const std::string monoMp3 = ReadFileBytes(FixturePath(L"mono.mp3"));
    const auto decoded = [&](const wchar_t* name, const std::string& bytes) {
        const CString input = dir.file(name);
        WriteFileBytes(input, bytes);
        CMp3Decoder decoder;
        EXPECT_EQ(decode(decoder, input, dir.file(L"temp.in")), DecodeDone) << Narrow(name);
        return ReadWavFile(dir.file(L"temp.in"));
    };
    const WavFileContents stereo = decoded(L"stereo.mp3", stereoMp3);
    const WavFileContents mono = decoded(L"mono.mp3", monoMp3);
    const auto sample = [](const WavFileContents& wav, size_t index) {
        int16_t value;
        memcpy(&value, wav.samples.data() + 2 * index, 2);
        return static_cast<int>(value);
    };
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

TEST(Mp3Decoder, SkipsTheId3v2Tag)
{
    TempDir dir;
    const CString input = mp3WithTag(dir);
    CMp3Decoder decoder;
    RecordingProgress progress;
    ASSERT_EQ(decode(decoder, input, dir.file(L"temp.in"), &progress), DecodeDone);
    ASSERT_EQ(progress.ranges.size(), 1u);
    EXPECT_EQ(progress.ranges[0], ReadFileBytes(input).size() - 267);
    EXPECT_EQ(progress.positions.back(), progress.ranges[0]);
    CMp3Decoder plain;
    ASSERT_EQ(decode(plain, FixturePath(L"tone.mp3"), dir.file(L"plain.in")), DecodeDone);
    EXPECT_TRUE(ReadWavFile(dir.file(L"temp.in")).samples == ReadWavFile(dir.file(L"plain.in")).samples);
}

TEST(Mp3Decoder, TextCancelAndMissingInputLeaveNoOutput)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    const CString text = dir.file(L"notes.mp3");
    WriteFileBytes(text, std::string(20000, 'a'));
    CMp3Decoder textDecoder;
    EXPECT_EQ(decode(textDecoder, text, output), DecodeInvalidFile);
    EXPECT_EQ(textDecoder.errorText(), L"Invalid mp3 file!");
    EXPECT_FALSE(exists(output));

    CMp3Decoder cancelled;
    RecordingProgress cancelOnFifthQuestion(5);
    EXPECT_EQ(decode(cancelled, FixturePath(L"tone.mp3"), output, &cancelOnFifthQuestion),
              DecodeCancelled);
    EXPECT_FALSE(exists(output));

    CMp3Decoder missing;
    EXPECT_EQ(decode(missing, dir.file(L"none.mp3"), output), DecodeFailed);
    EXPECT_EQ(missing.errorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(OggDecoder, MonoFileMatchesOggdec)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    COggDecoder decoder;
    RecordingProgress progress;
    ASSERT_EQ(decode(decoder, FixturePath(L"mono22k.ogg"), output, &progress), DecodeDone);
    const WavFileContents wav = ReadWavFile(output);
    EXPECT_EQ(wav.formatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.sampleRate, 22050u);
    EXPECT_EQ(wav.blockAlign, 2);
    EXPECT_EQ(wav.avgBytesPerSec, 44100u);
    const WavFileContents reference = ReadWavFile(FixturePath(L"mono22k_oggdec.wav"));
    ASSERT_TRUE(reference.valid);
    EXPECT_EQ(wav.samples.size(), reference.samples.size());
    // Both sides run libvorbis's float synthesis, built by different
    // compilers: the rounding of a sample may differ by one step, no more.
    EXPECT_LE(largestSampleDifference(wav.samples, reference.samples), 1);
    ASSERT_EQ(progress.ranges.size(), 1u);
    EXPECT_GT(progress.ranges[0], 0u);
    EXPECT_EQ(progress.positions.back(), ReadFileBytes(FixturePath(L"mono22k.ogg")).size());
}

TEST(OggDecoder, ChainedOrForeignFilesAreRefusedWithoutOutput)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    COggDecoder chained;
    EXPECT_EQ(decode(chained, FixturePath(L"chained.ogg"), output), DecodeNotSupported);
    EXPECT_EQ(chained.errorText(), L"Cannot open ogg files with multiple streams.");
    EXPECT_FALSE(exists(output));

    COggDecoder foreign;
    EXPECT_EQ(decode(foreign, FixturePath(L"tone.mp3"), output), DecodeFailed);
    EXPECT_FALSE(exists(output));

    COggDecoder cancelled;
    RecordingProgress cancelAtOnce(0);
    EXPECT_EQ(decode(cancelled, FixturePath(L"stereo.ogg"), output, &cancelAtOnce), DecodeCancelled);
    EXPECT_FALSE(exists(output));
}

class WmaDecoderTest : public testing::Test {
protected:
    WmaDecoderTest() { CoInitialize(nullptr); }
    ~WmaDecoderTest() override { CoUninitialize(); }
};

TEST_F(WmaDecoderTest, AudioFileDecodesUnderTheRuntime)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    CWmaDecoder decoder;
    RecordingProgress progress;
    ASSERT_EQ(decode(decoder, FixturePath(L"tone.wma"), output, &progress), DecodeDone)
        << Narrow(decoder.errorText());
    const WavFileContents wav = ReadWavFile(output);
    EXPECT_EQ(wav.formatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.sampleRate, 44100u);
    EXPECT_NEAR(double(frames(wav)), 3.0 * 44100, 0.1 * 44100);
    ASSERT_EQ(progress.ranges.size(), 1u);
    EXPECT_NEAR(double(progress.ranges[0]), 3000.0, 200.0) << "the Duration attribute in ms";
}

TEST_F(WmaDecoderTest, VideoFileWritesOnlyItsAudio)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    CWmaDecoder decoder;
    ASSERT_EQ(decode(decoder, FixturePath(L"clip.wmv"), output), DecodeDone)
        << Narrow(decoder.errorText());
    const WavFileContents wav = ReadWavFile(output);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.sampleRate, 44100u);
    EXPECT_NEAR(double(frames(wav)), 2.0 * 44100, 0.15 * 44100);
}

TEST_F(WmaDecoderTest, CancelAndUnreadableInputLeaveNoOutput)
{
    TempDir dir;
    const CString output = dir.file(L"temp.in");
    CWmaDecoder cancelled;
    RecordingProgress cancelAtOnce(0);
    EXPECT_EQ(decode(cancelled, FixturePath(L"tone.wma"), output, &cancelAtOnce), DecodeCancelled);
    EXPECT_FALSE(exists(output));
    CWmaDecoder missing;
    EXPECT_EQ(decode(missing, dir.file(L"none.wma"), output), DecodeFailed);
    EXPECT_FALSE(exists(output));
}

// Runs for real only in the ctest case WmaRuntimeMissing, whose Wine has
// wmvcore disabled by a DLL override.
TEST(WmaRuntimeMissing, ChildGivesResult5)
{
    if (GetEnvironmentVariableW(L"TARVISK_WITHOUT_WMVCORE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the child without the runtime";
    TempDir dir;
    CWmaDecoder decoder;
    EXPECT_EQ(decode(decoder, FixturePath(L"tone.wma"), dir.file(L"temp.in")), DecodeRuntimeMissing);
    EXPECT_EQ(decoder.errorText(), L"Windows media format components are not installed or they are "
                                   L"too old! Please install the Window Media Player 9 or newer.");
    EXPECT_FALSE(exists(dir.file(L"temp.in")));
}
