#include "waveform/DatCache.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A DAT file of a stream of the given length whose byte k is k modulo 127 + 1.
CString writeDat(const TempDir& dir, int64_t durationMs)
{
    std::string bytes(static_cast<size_t>(durationMs / 10), '\0');
    for (size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>(k % 127 + 1);
    const CString path = dir.file(L"temp.dat");
    WriteFileBytes(path, bytes);
    return path;
}

} // namespace

TEST(DatCache, SpanBeforeTheStartGetsLeadingZeros)
{
    TempDir dir;
    CDatCache cache;
    cache.setSource(writeDat(dir, 600000), 600000);
    int count = -1;
    const signed char* bytes = cache.readRange(-1000, 1000, &count);
    ASSERT_EQ(count, 200);
    for (int k = 0; k < 100; ++k)
        ASSERT_EQ(bytes[k], 0) << k;
    for (int k = 0; k < 100; ++k)
        ASSERT_EQ(bytes[100 + k], k + 1) << k;
}

TEST(DatCache, SpanPastTheEndIsCutAtTheDuration)
{
    TempDir dir;
    CDatCache cache;
    cache.setSource(writeDat(dir, 5000), 5000);
    int count = -1;
    const signed char* bytes = cache.readRange(4000, 8000, &count);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(bytes[0], 400 % 127 + 1);
    EXPECT_EQ(bytes[99], 499 % 127 + 1);
    EXPECT_EQ(bytes[100], 0);
}

TEST(DatCache, RefusedSpansCountNothing)
{
    TempDir dir;
    CDatCache cache;
    int count = -1;
    cache.readRange(0, 1000, &count);
    EXPECT_EQ(count, 0) << "nothing open";
    cache.setSource(writeDat(dir, 10000), 10000);
    cache.readRange(500, 500, &count);
    EXPECT_EQ(count, 0);
    cache.readRange(2000, 1000, &count);
    EXPECT_EQ(count, 0);
    cache.readRange(0, 20000000, &count);
    EXPECT_EQ(count, 0);
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
