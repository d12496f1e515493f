#include "PlaybackFixtures.h"

#include "playback/Envelope.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// 16-bit PCM at 1000 frames per second, so frame i is at millisecond i.
WAVEFORMATEX formatOf(WORD channels)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = 1000;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    return format;
}

std::vector<int16_t> applied(std::vector<int16_t> samples, const CCutRegion& cut, WORD channels,
                             double gain, int64_t startMs = 0, uint64_t bytesDone = 0)
{
    applyEnvelope(samples.data(), static_cast<uint32_t>(samples.size() * 2), startMs, bytesDone,
                  cut, formatOf(channels), gain);
    return samples;
}

} // namespace

TEST(FadeFactorTest, RampsUpOverTheFadeInAndDownOverTheFadeOut)
{
    const CCutRegion cut = cutOf(1000, 9000, 2000, 4000);
    EXPECT_DOUBLE_EQ(fadeFactor(1000, cut), 0.0);
    EXPECT_DOUBLE_EQ(fadeFactor(1500, cut), 0.25);
    EXPECT_DOUBLE_EQ(fadeFactor(2999, cut), 0.9995);
    EXPECT_DOUBLE_EQ(fadeFactor(3000, cut), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(4999, cut), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(5000, cut), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(8000, cut), 0.25);
    EXPECT_DOUBLE_EQ(fadeFactor(8999, cut), 1.0 / 4000);
}

TEST(FadeFactorTest, OutsideTheCutAndWithoutFadesTheFactorIsOne)
{
    const CCutRegion faded = cutOf(1000, 9000, 2000, 2000);
    EXPECT_DOUBLE_EQ(fadeFactor(999, faded), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(9000, faded), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(-5, faded), 1.0);
    const CCutRegion plain = cutOf(1000, 9000, 0, 0);
    for (int64_t t : {1000, 5000, 8999})
        EXPECT_DOUBLE_EQ(fadeFactor(t, plain), 1.0) << t;
}

TEST(FadeFactorTest, FadesShorterThanATenthOfASecondAreNotApplied)
{
    const CCutRegion shortFades = cutOf(1000, 9000, 50, 99);
    EXPECT_DOUBLE_EQ(fadeFactor(1000, shortFades), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(1025, shortFades), 1.0);
    EXPECT_DOUBLE_EQ(fadeFactor(8950, shortFades), 1.0);
    const CCutRegion shortest = cutOf(1000, 9000, 100, 100);
    EXPECT_DOUBLE_EQ(fadeFactor(1050, shortest), 0.5);
    EXPECT_DOUBLE_EQ(fadeFactor(8950, shortest), 0.5);
}

TEST(ApplyEnvelopeTest, EachFrameIsScaledByTheFactorOfItsTime)
{
    // The block starts 2 frames into a playback from 1000 ms: its frames are
    // at 1002..1005 ms.
    const CCutRegion cut = cutOf(1000, 5000, 8, 0);
    const std::vector<int16_t> stereo = {8000, -8000, 8000, -8000, 8000, -8000, 8000, -8000};
    EXPECT_EQ(applied(stereo, cut, 2, 0.0, 1000, 8),
              (std::vector<int16_t>{8000, -8000, 8000, -8000, 8000, -8000, 8000, -8000}))
        << "a fade shorter than 100 ms leaves the samples alone";

    // A ramp of 1024 ms keeps the factors exact: 256/1024 at 1256 ms.
    const CCutRegion longFade = cutOf(1000, 5000, 1024, 0);
    const std::vector<int16_t> full = {1024, -1024, 1024, -1024, 1024, -1024, 1024, -1024};
    EXPECT_EQ(applied(full, longFade, 2, 0.0, 1000, 4 * 256),
              (std::vector<int16_t>{256, -256, 257, -257, 258, -258, 259, -259}));
}

TEST(ApplyEnvelopeTest, GainMultipliesTheFadeAndResultsAreTruncated)
{
    const CCutRegion longFade = cutOf(0, 5000, 1000, 0);
    // At 500 ms the fade gives 0.5; with gain 3 the factor is 1.5.
    EXPECT_EQ(applied({1001, -1001}, longFade, 1, 3.0, 500), (std::vector<int16_t>{1501, -1504}));
    EXPECT_EQ(applied({1001, -1001}, longFade, 2, 3.0, 500), (std::vector<int16_t>{1501, -1501}));
}

TEST(ApplyEnvelopeTest, WithoutGainOrFadesSamplesPassUnchanged)
{
    const std::vector<int16_t> samples = {32767, -32768, 1, -1, 0, 12345};
    EXPECT_EQ(applied(samples, cutOf(0, 5000, 0, 0), 2, 0.0), samples);
    EXPECT_EQ(applied(samples, CCutRegion(), 2, 0.0), samples);
}

TEST(ApplyEnvelopeTest, GainAppliesWithoutAValidCut)
{
    EXPECT_EQ(applied({1000, -1000}, CCutRegion(), 2, 2.5), (std::vector<int16_t>{2500, -2500}));
}

TEST(ApplyEnvelopeTest, EveryChannelOfAFrameIsFaded)
{
    const CCutRegion longFade = cutOf(0, 5000, 1000, 0);
    EXPECT_EQ(applied({4000, 4000, 4000, 4000, 4000, 4000}, longFade, 6, 0.0, 250),
              (std::vector<int16_t>{1000, 1000, 1000, 1000, 1000, 1000}));
}

TEST(ApplyEnvelopeTest, ScaledSamplesAreHeldAtTheSixteenBitLimits)
{
    EXPECT_EQ(applied({30000, -30000}, CCutRegion(), 2, 2.0),
              (std::vector<int16_t>{32767, -32768}));
}
