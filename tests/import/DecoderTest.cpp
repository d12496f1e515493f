#include "import/AacDecoder.h"
#include "import/FlacDecoder.h"
#include "import/Mp3Decoder.h"
#include "import/OggDecoder.h"
#include "import/OpusDecoder.h"
#include "import/WmaDecoder.h"
#include "reliability/PipelineHarness.h"

#include "support/AudioFixtures.h"
#include "support/RecordingProgress.h"

#include <gtest/gtest.h>

#include <array>

namespace {

size_t frames(const WavFileContents& wav)
{
    return wav.blockAlign ? wav.samples.size() / wav.blockAlign : 0;
}

// The Windows Media decoder needs COM on the thread.
class DecoderTest : public testing::Test {
protected:
    DecoderTest() { CoInitialize(nullptr); }
    ~DecoderTest() override { CoUninitialize(); }

    WavFileContents decodedMp3(const std::string& bytes, IOpProgress* progress = nullptr)
    {
        IOpProgress silent;
        WriteFileBytes(dir.file(L"in.mp3"), bytes);
        EXPECT_EQ(CMp3Decoder().decodeFile(dir.file(L"in.mp3"), dir.file(L"temp.in"),
                                           progress ? progress : &silent),
                  DecodeDone);
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
        const wchar_t* reference = nullptr; // the same file decoded by its own tools or ffmpeg
    } cases[] = {
        // The MP3 encoder adds its delay and pads to whole frames of 1152;
        // loud.mp3 clips, at -32767 here and -32768 in ffmpeg.
        {L"tone.mp3", make<CMp3Decoder>, 2, 44100, 132300, 132300 + 4 * 1152, 0,
         L"tone_mp3_ffmpeg.wav"},
        {L"mono.mp3", make<CMp3Decoder>, 1, 44100, 88200, 88200 + 4 * 1152, 0,
         L"mono_mp3_ffmpeg.wav"},
        {L"loud.mp3", make<CMp3Decoder>, 2, 44100, 44100, 44100 + 4 * 1152, 0,
         L"loud_mp3_ffmpeg.wav"},
        {L"mono22k.ogg", make<COggDecoder>, 1, 22050, 33075, 33075, 0, L"mono22k_oggdec.wav"},
        {L"stereo.ogg", make<COggDecoder>, 2, 44100, 132300, 132300, 0},
        // ffmpeg drops the AAC encoder's delay but keeps its padding to whole frames of 1024.
        {L"tone.m4a", make<CAacDecoder>, 2, 44100, 132300, 132300 + 1024, 0,
         L"tone_m4a_ffmpeg.wav"},
        {L"pcm24.flac", make<CFlacDecoder>, 2, 44100, 22050, 22050, 0, L"pcm24_flac16.wav"},
        {L"pcm16.flac", make<CFlacDecoder>, 2, 44100, 132300, 132300, 0, L"pcm16.wav"},
        {L"voice.opus", make<COpusDecoder>, 2, 48000, 144000, 144000, 0, L"voice_opusdec.wav"},
        // Windows Media reports its Duration attribute in ms.
        {L"tone.wma", make<CWmaDecoder>, 2, 44100, 127890, 136710, 3000},
        // A video file gives its audio alone.
        {L"clip.wmv", make<CWmaDecoder>, 1, 44100, 81585, 94815, 2000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.input));
        const std::unique_ptr<IDecoder> decoder = c.decoder();
        RecordingProgress progress;
        ASSERT_EQ(decoder->decodeFile(FixturePath(c.input), dir.file(L"temp.in"), &progress),
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
        if (c.reference) {
            // The same synthesis in floats or libmad's fixed point, built by
            // different compilers: a sample may differ by one step, no more.
            const auto ours = Samples16(wav.samples);
            const auto theirs = Samples16(ReadWavFile(FixturePath(c.reference)).samples);
            ASSERT_EQ(ours.size(), theirs.size());
            for (size_t i = 0; i < ours.size(); ++i)
                ASSERT_LE(std::abs(ours[i] - theirs[i]), 1) << i;
        }
    }
}

// Each fault through every decoder: the result (which names the box the
// user sees), the system's code where there is one, and no output left.
TEST_F(DecoderTest, EachFaultGivesItsResultInEveryDecoderAndLeavesNoOutput)
{
    const std::pair<const wchar_t*, MakeDecoder> decoders[] = {
        {L"tone.mp3", make<CMp3Decoder>},    {L"stereo.ogg", make<COggDecoder>},
        {L"tone.wma", make<CWmaDecoder>},    {L"tone.m4a", make<CAacDecoder>},
        {L"pcm24.flac", make<CFlacDecoder>}, {L"voice.opus", make<COpusDecoder>}};
    const CString notes = WriteFileBytes(dir.file(L"notes.txt"), std::string(5000, 't'));
    const CString held = WriteFileBytes(dir.file(L"held.bin"), "held");
    const HANDLE holder = CreateFileW(held, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const CString output = dir.file(L"temp.in");
    constexpr DWORD kAnyCode = ~0u;
    // MP3, Ogg Vorbis, Windows Media, AAC, FLAC, Opus.
    using Results = std::array<DecodeResult, 6>;
    const DecodeResult F = DecodeFailed, I = DecodeInvalidFile, C = DecodeCancelled;
    const Results failed{F, F, F, F, F, F}, noAudio{I, F, F, F, I, I}, cancelled{C, C, C, C, C, C};
    // The input is the decoder's own fixture where none is given.
    const struct {
        const char* fault;
        CString input;
        CString output;
        int cancelAfter;
        Results results;
        DWORD code;
    } faults[] = {
        {"input missing", dir.file(L"none"), output, -1, failed, ERROR_FILE_NOT_FOUND},
        {"input held by another program", held, output, -1, failed, ERROR_SHARING_VIOLATION},
        {"no audio of the format", notes, output, -1, noAudio, kAnyCode},
        {"output folder missing", {}, dir.file(L"gone\\temp.in"), -1, failed, ERROR_PATH_NOT_FOUND},
        {"cancelled at the first question", {}, output, 0, cancelled, kAnyCode},
    };
    for (const auto& fault : faults)
        for (size_t d = 0; d < std::size(decoders); ++d) {
            SCOPED_TRACE(std::string(fault.fault) + ", " + Narrow(decoders[d].first));
            const std::unique_ptr<IDecoder> decoder = decoders[d].second();
            RecordingProgress progress(fault.cancelAfter);
            const CString input =
                fault.input.IsEmpty() ? FixturePath(decoders[d].first) : fault.input;
            EXPECT_EQ(decoder->decodeFile(input, fault.output, &progress), fault.results[d]);
            if (fault.code != kAnyCode) {
                EXPECT_EQ(decoder->errorCode(), fault.code);
            }
            EXPECT_FALSE(FileExists(fault.output));
        }
    CloseHandle(holder);
}

TEST_F(DecoderTest, Mp3SkipsTheId3v2TagAndLosesNoFrame)
{
    const std::string mp3 = ReadFileBytes(FixturePath(L"tone.mp3"));
    const WavFileContents plain = decodedMp3(mp3);
    // Behind an ID3v2 header of 10 + 257 bytes: the same samples, and the
    // progress counts the audio alone.
    const std::string tag =
        std::string("ID3\x03\x00\x00\x00\x00\x02\x01", 10) + std::string(257, 0);
    RecordingProgress progress;
    EXPECT_TRUE(decodedMp3(tag + mp3, &progress).samples == plain.samples);
    EXPECT_EQ(progress.ranges, std::vector<UINT>{static_cast<UINT>(mp3.size())});
    // The file twice over gives twice the frames: the last frame is not lost.
    EXPECT_EQ(frames(decodedMp3(mp3 + mp3)), 2 * frames(plain));
}
