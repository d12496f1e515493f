#include "infra/KestraException.h"
#include "waveform/DatCache.h"
#include "waveform/DatFileEncoder.h"

#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

WAVEFORMATEX pcm16(WORD channels, DWORD rate)
{
    return {WAVE_FORMAT_PCM,
            channels,
            rate,
            rate * channels * 2,
            static_cast<WORD>(channels * 2),
            16,
            0};
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
        return Narrow(e.message());
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
    // A partial step at the end counts as a byte.
    for (const size_t frames : {440, 441, 442})
        EXPECT_EQ(encodeInBlocks(dir, format, indexedMonoFrames(frames), 880).size(),
                  frames <= 441 ? 1u : 2u)
            << frames;
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
              "error creating DAT file \"" + Narrow(missing) + ".dat\"");
    // A rate below 100 Hz has no step and no channels no frames: both would
    // never finish a buffer.
    const WAVEFORMATEX slow = pcm16(1, 99);
    EXPECT_EQ(encoderFailure(dir.file(L"temp"), &slow), "DAT: unsupported sample layout");
    const WAVEFORMATEX silent = pcm16(0, 44100);
    EXPECT_EQ(encoderFailure(dir.file(L"temp"), &silent), "DAT: unsupported sample layout");
}

namespace {

// A DAT file of a stream of the given length whose byte k is k modulo 127 + 1.
CString writeDat(const TempDir& dir, int64_t durationMs)
{
    std::string bytes(static_cast<size_t>(durationMs / 10), '\0');
    for (size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>(k % 127 + 1);
    WriteFileBytes(dir.file(L"temp.dat"), bytes);
    return dir.file(L"temp.dat");
}

} // namespace

TEST(DatCache, SpansAreZeroFilledOutsideTheStreamAndRefusedBeyondTheLongest)
{
    TempDir dir;
    CDatCache cache;
    int count = -1;
    cache.readRange(0, 1000, &count);
    EXPECT_EQ(count, 0) << "nothing open";
    cache.setSource(writeDat(dir, 600000), 600000);
    const struct {
        int64_t start, end;
        int count;        // bytes that count
        int firstStreamK; // index in the span where stream byte 0 + start would be; -1: none
    } spans[] = {
        {-1000, 1000, 200, 100},  // leading zeros before the start
        {500, 500, 0, -1},        // empty
        {2000, 1000, 0, -1},      // backwards
        {0, 20000000, 0, -1},     // longer than the longest span allowed
        {599000, 603000, 100, 0}, // cut at the duration, zeros after
    };
    for (const auto& span : spans) {
        SCOPED_TRACE(std::to_string(span.start) + " to " + std::to_string(span.end));
        const signed char* bytes = cache.readRange(span.start, span.end, &count);
        ASSERT_EQ(count, span.count);
        if (span.firstStreamK < 0)
            continue;
        for (int k = 0; k < span.firstStreamK; ++k)
            ASSERT_EQ(bytes[k], 0) << k;
        const int64_t first = std::max<int64_t>(span.start, 0) / 10;
        for (int k = span.firstStreamK; k < span.count; ++k)
            ASSERT_EQ(bytes[k], (first + k - span.firstStreamK) % 127 + 1) << k;
        if (span.end > 600000) {
            EXPECT_EQ(bytes[span.count], 0) << "past the end";
        }
    }
    cache.setSource(writeDat(dir, 10000), 10000);
    cache.readRange(0, 19999990, &count);
    EXPECT_EQ(count, 1000) << "the longest span allowed, cut at the duration";
}

TEST(DatCache, SameSpanAgainIsAnsweredFromMemory)
{
    TempDir dir;
    const CString path = writeDat(dir, 10000);
    CDatCache cache;
    cache.setSource(path, 10000);
    int count = 0;
    cache.readRange(0, 2000, &count);
    ASSERT_EQ(count, 200);
    ASSERT_TRUE(DeleteFileW(path));
    const signed char* bytes = cache.readRange(0, 2000, &count);
    EXPECT_EQ(count, 200);
    EXPECT_EQ(bytes[5], 6);
    // A new span needs the file, which is gone: nothing counts, all zeros.
    bytes = cache.readRange(0, 3000, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bytes[5], 0);
}
