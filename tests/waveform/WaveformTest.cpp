#include "import/WavWriter.h"
#include "infra/KestraException.h"
#include "waveform/DatCache.h"
#include "waveform/DatFileEncoder.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

namespace {

// Mono frames whose high byte is the frame index modulo 256.
std::vector<BYTE> indexedMonoFrames(size_t frames)
{
    std::vector<BYTE> bytes(frames * 2, 0x55);
    for (size_t i = 0; i < frames; ++i)
        bytes[2 * i + 1] = static_cast<BYTE>(i);
    return bytes;
}

std::string encodeInBlocks(const TempDir& dir, const std::vector<BYTE>& samples, size_t blockSize)
{
    const WAVEFORMATEX format = Pcm16Format(1, 44100);
    {
        CDatFileEncoder encoder(dir.file(L"temp"), &format);
        for (size_t at = 0; at < samples.size(); at += blockSize)
            encoder.encode(samples.data() + at,
                           static_cast<UINT>(std::min(blockSize, samples.size() - at)));
    }
    return ReadFileBytes(dir.file(L"temp.dat"));
}

} // namespace

TEST(DatFileEncoder, OneByteEveryHundredthOfASecondInAnyBufferSizeAndNoLayoutWithoutSteps)
{
    TempDir dir;
    const std::vector<BYTE> second = indexedMonoFrames(44100);
    const std::string whole = encodeInBlocks(dir, second, second.size());
    ASSERT_EQ(whole.size(), 100u);
    for (size_t k = 0; k < whole.size(); ++k)
        ASSERT_EQ(static_cast<BYTE>(whole[k]), static_cast<BYTE>(k * 441)) << "byte " << k;
    // Blocks of a length that is no multiple of the step carry the phase.
    EXPECT_EQ(encodeInBlocks(dir, second, 1000), whole);
    EXPECT_EQ(encodeInBlocks(dir, second, 882 * 2 + 2), whole);
    // A partial step at the end counts as a byte.
    for (const size_t frames : {440, 441, 442})
        EXPECT_EQ(encodeInBlocks(dir, indexedMonoFrames(frames), 880).size(),
                  frames <= 441 ? 1u : 2u)
            << frames;

    // A rate below 100 Hz has no step and no channels no frames: both would
    // never finish a buffer.
    for (const WAVEFORMATEX& format : {Pcm16Format(1, 99), Pcm16Format(0, 44100)}) {
        try {
            CDatFileEncoder encoder(dir.file(L"temp"), &format);
            ADD_FAILURE() << "constructed for " << format.nChannels << " at "
                          << format.nSamplesPerSec;
        } catch (const CKestraEncoderException& e) {
            EXPECT_EQ(Narrow(e.message()), "DAT: unsupported sample layout");
        }
    }
}

TEST(DatCache, SpansAreZeroFilledOutsideTheStreamAndRefusedBeyondTheLongest)
{
    // A DAT file of ten minutes whose byte k is k modulo 127 + 1.
    TempDir dir;
    std::string dat(60000, '\0');
    for (size_t k = 0; k < dat.size(); ++k)
        dat[k] = static_cast<char>(k % 127 + 1);
    WriteFileBytes(dir.file(L"temp.dat"), dat);
    CDatCache cache;
    int count = -1;
    cache.readRange(0, 1000, &count);
    EXPECT_EQ(count, 0) << "nothing open";
    cache.setSource(dir.file(L"temp.dat"), 600000);
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
    // A file gone while the editor shows it: nothing counts, all zeros.
    ASSERT_TRUE(DeleteFileW(dir.file(L"temp.dat")));
    const signed char* bytes = cache.readRange(0, 3000, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bytes[5], 0);
}
