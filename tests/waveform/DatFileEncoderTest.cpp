#include "infra/KestraException.h"
#include "waveform/DatFileEncoder.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

WAVEFORMATEX pcm16(WORD channels, DWORD rate)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

// Mono frames whose high byte is the frame index modulo 256.
std::vector<BYTE> indexedMonoFrames(size_t frames)
{
    std::vector<BYTE> bytes(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        bytes[2 * i] = 0x55;
        bytes[2 * i + 1] = static_cast<BYTE>(i);
    }
    return bytes;
}

std::string encodeInBlocks(const TempDir& dir, const WAVEFORMATEX& format,
                           const std::vector<BYTE>& samples, size_t blockSize)
{
    const CString base = dir.file(L"temp");
    {
        CDatFileEncoder encoder(base, &format);
        for (size_t at = 0; at < samples.size(); at += blockSize)
            encoder.encode(samples.data() + at,
                           static_cast<UINT>(std::min(blockSize, samples.size() - at)));
    }
    return ReadFileBytes(base + L".dat");
}

std::string encoderFailure(const wchar_t* base, const WAVEFORMATEX* format)
{
    try {
        CDatFileEncoder encoder(base, format);
    } catch (const CKestraEncoderException& e) {
        return std::string(e.message().GetString(), e.message().GetString() + e.message().GetLength());
    }
    return "constructed";
}

} // namespace

TEST(DatFileEncoder, OneByteEveryHundredthOfASecondInAnyBufferSize)
{
    TempDir dir;
    const WAVEFORMATEX format = pcm16(1, 44100);
    const std::vector<BYTE> second = indexedMonoFrames(44100);
    const std::string whole = encodeInBlocks(dir, format, second, second.size());
    ASSERT_EQ(whole.size(), 100u);
    for (size_t k = 0; k < whole.size(); ++k)
        ASSERT_EQ(static_cast<BYTE>(whole[k]), static_cast<BYTE>(k * 441)) << "byte " << k;
    EXPECT_EQ(encodeInBlocks(dir, format, second, 1000), whole);
    // Blocks of a length that is no multiple of the step carry the phase.
    EXPECT_EQ(encodeInBlocks(dir, format, second, 882 * 2 + 2), whole);
}

TEST(DatFileEncoder, PartialStepCountsAsAByte)
{
    TempDir dir;
    const WAVEFORMATEX format = pcm16(1, 44100);
    EXPECT_EQ(encodeInBlocks(dir, format, indexedMonoFrames(440), 880).size(), 1u);
    EXPECT_EQ(encodeInBlocks(dir, format, indexedMonoFrames(441), 882).size(), 1u);
    EXPECT_EQ(encodeInBlocks(dir, format, indexedMonoFrames(442), 884).size(), 2u);
}

TEST(DatFileEncoder, FrameValues)
{
    const BYTE mono[] = {0x00, 0x80};
    EXPECT_EQ(CDatFileEncoder::frameValue(mono, 1), -128);
    struct Case {
        BYTE leftHigh, rightHigh;
        int value;
    } cases[] = {{0x12, 0xF0, 1}, {127, 127, 127}, {0x80, 0x80, -128}, {0xFF, 0x00, -1}};
    for (const Case& c : cases) {
        const BYTE frame[] = {0x34, c.leftHigh, 0x00, c.rightHigh};
        EXPECT_EQ(CDatFileEncoder::frameValue(frame, 2), c.value)
            << int(c.leftHigh) << "," << int(c.rightHigh);
    }
    // Beyond two channels only the first sample counts.
    const BYTE surround[] = {0, 10, 0, 100, 0, 100};
    EXPECT_EQ(CDatFileEncoder::frameValue(surround, 3), 10);
}

TEST(DatFileEncoder, RefusesWhatItCannotWrite)
{
    TempDir dir;
    const WAVEFORMATEX format = pcm16(2, 44100);
    EXPECT_EQ(encoderFailure(dir.file(L"temp"), nullptr), "DAT: NULL waveformatex as parameter");
    EXPECT_EQ(encoderFailure(nullptr, &format), "NULL DAT file name as parameter");
    const CString missing = dir.file(L"no\\such\\temp");
    EXPECT_EQ(encoderFailure(missing, &format),
              "error creating DAT file \"" +
                  std::string(missing.GetString(), missing.GetString() + missing.GetLength()) +
                  ".dat\"");
    // A rate below 100 Hz has no step and no channels no frames: both would
    // never finish a buffer.
    const WAVEFORMATEX slow = pcm16(1, 99);
    EXPECT_EQ(encoderFailure(dir.file(L"temp"), &slow), "DAT: unsupported sample layout");
    const WAVEFORMATEX silent = pcm16(0, 44100);
    EXPECT_EQ(encoderFailure(dir.file(L"temp"), &silent), "DAT: unsupported sample layout");
}
