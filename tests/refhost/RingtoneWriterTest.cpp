#include "refhost/RingtoneWriter.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

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

TEST(RingtoneWriter, UnreadableStreamOrFolderLeavesNothing)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"temp.in"), constantWav(2000, 1));
    WriteFileBytes(dir.file(L"text.in"), "not a wave file at all, just text");
    const std::pair<const wchar_t*, CString> cases[] = {{L"none.in", dir.path()},
                                                        {L"temp.in", dir.file(L"no\\such\\folder")},
                                                        {L"text.in", dir.path()}};
    for (const auto& [stream, folder] : cases) {
        SCOPED_TRACE(Narrow(stream));
        std::wstring path, error;
        const RingtoneRequest request{dir.file(stream).str(), folder.str(), L"x", 0, 1000, 0, 0};
        EXPECT_FALSE(WriteRingtone(request, path, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(FileNames(dir.file(L"x.*")).empty());
    }
}
