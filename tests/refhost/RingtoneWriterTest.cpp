#include "refhost/RingtoneWriter.h"

#include "support/AudioFixtures.h"
#include "support/ProcessWindows.h"
#include "support/UnixShell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// A 16-bit stereo WAV at 1000 frames per second whose samples are all value.
std::string constantWav(int frames, int16_t value)
{
    std::string samples;
    for (int i = 0; i < frames * 2; ++i)
        samples.append(reinterpret_cast<const char*>(&value), 2);
    return MakeWavBytes(1, 2, 1000, 16, samples);
}

std::vector<int16_t> samples(const std::string& wav)
{
    std::vector<int16_t> values((wav.size() - 44) / 2);
    memcpy(values.data(), wav.data() + 44, values.size() * 2);
    return values;
}

} // namespace

// Every hostile name gives a file inside the folder: HostileTrackNames.
TEST(RingtoneFileName, KeepsTheNamesLettersWithoutPathsOrReservedCharacters)
{
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"My Song", L"My Song"},
        {L"..\\..\\Windows\\evil", L"Windowsevil"},
        {L"../x", L"x"},
        {L"C:\\temp\\a", L"Ctempa"},
        {L"a<b>c|d?e*\"f", L"abcdef"},
        {L"...", L"Ringtone"},
        {L"name. ", L"name"}};
    for (const auto& [name, file] : names)
        EXPECT_EQ(RingtoneFileName(name), file) << Narrow(name);
}

TEST(RingtoneWriter, CopiesTheCutWithLinearFadesUpToTheStreamsEnd)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"temp.in"), constantWav(3000, 10000));
    std::wstring path, error;
    RingtoneRequest request{
        dir.file(L"temp.in").str(), dir.path().str(), L"tone", 1000, 2000, 100, 200};
    ASSERT_TRUE(WriteRingtone(request, path, error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(path, dir.file(L"tone.wav").str());
    const std::vector<int16_t> out = samples(ReadFileBytes(path.c_str()));
    ASSERT_EQ(out.size(), 2000u) << "1000 frames of two channels";
    EXPECT_EQ(out[0], 0) << "the fade-in starts silent";
    EXPECT_EQ(out[2 * 50], 5000) << "halfway through the fade-in";
    EXPECT_EQ(out[2 * 100], 10000);
    EXPECT_EQ(out[2 * 500 + 1], 10000);
    EXPECT_EQ(out[2 * 900], 5000) << "halfway through the fade-out";
    EXPECT_EQ(out[2 * 999], 50);
    EXPECT_EQ(GetFileAttributesW((path + L".part").c_str()), INVALID_FILE_ATTRIBUTES);

    // A cut past the end of the stream stops there; a name without letters gives the default.
    request.trackName = L"";
    request.end = 9000;
    request.fadeIn = request.fadeOut = 0;
    ASSERT_TRUE(WriteRingtone(request, path, error));
    EXPECT_EQ(path, dir.file(L"Ringtone.wav").str());
    EXPECT_EQ(samples(ReadFileBytes(path.c_str())), std::vector<int16_t>(4000, 10000));
}

TEST(RingtoneWriter, UnreadableStreamUnusableFolderOrRefusedFormatLeavesNothing)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"temp.in"), constantWav(2000, 1));
    WriteFileBytes(dir.file(L"text.in"), "not a wave file at all, just text");
    WriteFileBytes(dir.file(L"six.in"), MakeWavBytes(1, 6, 44100, 16, std::string(529200, 0)));
    const std::tuple<const wchar_t*, CString, RingtoneFormat> cases[] = {
        {L"none.in", dir.path(), RingtoneFormat::Wav},
        {L"temp.in", dir.file(L"no\\such\\folder"), RingtoneFormat::Wav},
        {L"text.in", dir.path(), RingtoneFormat::Wav},
        {L"six.in", dir.path(), RingtoneFormat::Mp3}}; // MP3 has one or two channels
    for (const auto& [stream, folder, format] : cases) {
        SCOPED_TRACE(Narrow(stream));
        std::wstring path, error;
        const RingtoneRequest request{
            dir.file(stream).str(), folder.str(), L"x", 0, 1000, 0, 0, format};
        EXPECT_FALSE(WriteRingtone(request, path, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(FileNames(dir.file(L"x.*")).empty());
    }
}

// Each compressed ringtone decoded by ffprobe and ffmpeg, which share no code
// with its encoder: a sine of constant level cut from 1 s to 3 s with fades
// of 0.5 s comes back with its codec, its title, its length within one
// frame of its codec and its level along the fades.
TEST(RingtoneWriter, CompressedFormatsKeepTheCutsLengthFadesAndTitle)
{
    TempDir dir;
    std::string pcm;
    for (int i = 0; i < 3 * 44100; ++i) {
        const int16_t value = static_cast<int16_t>(10000 * std::sin(i * 2 * M_PI * 441 / 44100));
        const int16_t frame[] = {value, value};
        pcm.append(reinterpret_cast<const char*>(frame), sizeof frame);
    }
    WriteFileBytes(dir.file(L"temp.in"), MakeWavBytes(WAVE_FORMAT_PCM, 2, 44100, 16, pcm));
    const std::tuple<RingtoneFormat, std::string, int> formats[] = {
        {RingtoneFormat::Ogg, "vorbis", 0}, {RingtoneFormat::Mp3, "mp3", 1152},
        {RingtoneFormat::M4r, "aac", 1024}};
    const std::wstring stream = dir.file(L"temp.in").str(), title = L"Mein T\u00F6n \u260E";
    for (const auto& [format, codec, frame] : formats) {
        SCOPED_TRACE(codec);
        std::wstring path, error;
        const RingtoneRequest request{stream, dir.path().str(), title, 1000, 3000, 500, 500,
                                      format};
        ASSERT_TRUE(WriteRingtone(request, path, error)) << Narrow(error.c_str());
        const CString file = UnixPath(path.c_str()), probe = dir.file(L"probe.txt");
        const CString decoded = UnixPath(dir.file(L"decoded.raw"));
        DeleteFileW(probe);
        StartUnixShell(L"ffprobe -v error -of default=nw=1 -show_entries "
                       L"stream=codec_name:stream_tags=title:format_tags=title '" +
                       file + L"' >'" + decoded + L".txt'; ffmpeg -v error -i '" + file +
                       L"' -ac 1 -f s16le - >'" + decoded + L"'; mv '" + decoded + L".txt' '" +
                       UnixPath(probe) + L"'");
        ASSERT_TRUE(WaitFor([&] { return GetFileAttributesW(probe) != INVALID_FILE_ATTRIBUTES; }));
        std::string found = ReadFileBytes(probe);
        // Ogg Vorbis keeps a comment's name as written: TITLE.
        std::transform(found.begin(), found.end(), found.begin(), ::tolower);
        EXPECT_NE(found.find("codec_name=" + codec + "\n"), std::string::npos) << found;
        EXPECT_NE(found.find("tag:title=mein t\xC3\xB6n \xE2\x98\x8E\n"), std::string::npos)
            << found;
        const std::string bytes = ReadFileBytes(dir.file(L"decoded.raw"));
        std::vector<int16_t> samples(bytes.size() / 2);
        memcpy(samples.data(), bytes.data(), samples.size() * 2);
        ASSERT_NEAR(double(samples.size()), 2 * 44100, frame);
        // The level of the 10 ms around a time of the cut, as a share of the sine's.
        const auto level = [&](int ms) {
            double sum = 0;
            for (int i = ms * 441 / 10 - 220; i < ms * 441 / 10 + 220; ++i)
                sum += std::pow(samples[std::min<size_t>(i, samples.size() - 1)], 2);
            return std::sqrt(sum / 440) / (10000 / std::sqrt(2.0));
        };
        // An encoder may lose a little of the level, the same all through.
        const double full = level(1000);
        EXPECT_NEAR(full, 1.0, 0.1);
        for (const auto& [ms, share] : {std::pair{5, 0.0}, {250, 0.5}, {1750, 0.5}, {1995, 0.0}})
            EXPECT_NEAR(level(ms) / full, share, 0.05) << ms << " ms into the cut";
    }
}
