#include "refhost/RingtoneWriter.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A 16-bit stereo WAV at 1000 frames per second whose samples are all value.
std::string constantWav(int frames, int16_t value)
{
    const uint32_t bytes = frames * 4, riff = 36 + bytes, fmt = 16, rate = 1000, byteRate = 4000;
    const uint16_t pcm = 1, channels = 2, align = 4, bits = 16;
    std::string wav = "RIFF";
    auto put = [&wav](const void* p, size_t n) { wav.append(static_cast<const char*>(p), n); };
    put(&riff, 4);
    wav += "WAVEfmt ";
    put(&fmt, 4);
    put(&pcm, 2);
    put(&channels, 2);
    put(&rate, 4);
    put(&byteRate, 4);
    put(&align, 2);
    put(&bits, 2);
    wav += "data";
    put(&bytes, 4);
    for (int i = 0; i < frames * 2; ++i)
        put(&value, 2);
    return wav;
}

std::vector<int16_t> samples(const std::string& wav)
{
    std::vector<int16_t> values((wav.size() - 44) / 2);
    memcpy(values.data(), wav.data() + 44, values.size() * 2);
    return values;
}

} // namespace

TEST(RingtoneFileName, StaysInsideTheOutputFolder)
{
    EXPECT_EQ(RingtoneFileName(L"My Song"), L"My Song");
    EXPECT_EQ(RingtoneFileName(L"..\\..\\Windows\\evil"), L"Windowsevil");
    EXPECT_EQ(RingtoneFileName(L"../x"), L"x");
    EXPECT_EQ(RingtoneFileName(L"C:\\temp\\a"), L"Ctempa");
    EXPECT_EQ(RingtoneFileName(L"a<b>c|d?e*\"f"), L"abcdef");
    EXPECT_EQ(RingtoneFileName(L"..."), L"Ringtone");
    EXPECT_EQ(RingtoneFileName(L""), L"Ringtone");
    EXPECT_EQ(RingtoneFileName(L"name. "), L"name");
}

TEST(RingtoneWriter, CopiesTheCutWithLinearFades)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"temp.in"), constantWav(3000, 10000));
    std::wstring path, error;
    RingtoneRequest request{dir.file(L"temp.in").str(), dir.path().str(), L"tone", 1000, 2000, 100, 200};
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
}

TEST(RingtoneWriter, CutPastTheEndStopsAtTheStream)
{
    TempDir dir;
    WriteFileBytes(dir.file(L"temp.in"), constantWav(1500, 7));
    std::wstring path, error;
    RingtoneRequest request{dir.file(L"temp.in").str(), dir.path().str(), L"", 1000, 9000, 0, 0};
    ASSERT_TRUE(WriteRingtone(request, path, error));
    EXPECT_EQ(path, dir.file(L"Ringtone.wav").str());
    EXPECT_EQ(samples(ReadFileBytes(path.c_str())).size(), 1000u);
}

TEST(RingtoneWriter, UnreadableStreamOrFolderLeavesNothing)
{
    TempDir dir;
    std::wstring path, error;
    RingtoneRequest missing{dir.file(L"none.in").str(), dir.path().str(), L"x", 0, 1000, 0, 0};
    EXPECT_FALSE(WriteRingtone(missing, path, error));
    EXPECT_FALSE(error.empty());

    WriteFileBytes(dir.file(L"temp.in"), constantWav(2000, 1));
    RingtoneRequest nowhere{dir.file(L"temp.in").str(), dir.file(L"no\\such\\folder").str(), L"x",
                            0, 1000, 0, 0};
    EXPECT_FALSE(WriteRingtone(nowhere, path, error));
    EXPECT_EQ(GetFileAttributesW((path + L".part").c_str()), INVALID_FILE_ATTRIBUTES);

    WriteFileBytes(dir.file(L"text.in"), "not a wave file at all, just text");
    RingtoneRequest text{dir.file(L"text.in").str(), dir.path().str(), L"x", 0, 1000, 0, 0};
    EXPECT_FALSE(WriteRingtone(text, path, error));
    EXPECT_EQ(GetFileAttributesW(dir.file(L"x.wav")), INVALID_FILE_ATTRIBUTES);
}
