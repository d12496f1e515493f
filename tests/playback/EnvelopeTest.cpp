#include "PlaybackFixtures.h"

#include "import/WavWriter.h"
#include "playback/Envelope.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Envelope, FadeFactorRampsInsideTheCutAndIgnoresFadesUnderATenthOfASecond)
{
    const CCutRegion faded = cutOf(1000, 9000, 2000, 4000);
    const CCutRegion plain = cutOf(1000, 9000, 0, 0);
    const CCutRegion tooShort = cutOf(1000, 9000, 50, 99);
    const CCutRegion shortest = cutOf(1000, 9000, 100, 100);
    const struct {
        const CCutRegion& cut;
        int64_t ms;
        double factor;
    } cases[] = {
        {faded, 1000, 0.0},        {faded, 1500, 0.25},   {faded, 2999, 0.9995},
        {faded, 3000, 1.0},        {faded, 4999, 1.0},    {faded, 8000, 0.25},
        {faded, 8999, 1.0 / 4000}, {faded, 999, 1.0},     {faded, 9000, 1.0},
        {faded, -5, 1.0},          {plain, 1000, 1.0},    {plain, 8999, 1.0},
        {tooShort, 1000, 1.0},     {tooShort, 1025, 1.0}, {tooShort, 8950, 1.0},
        {shortest, 1050, 0.5},     {shortest, 8950, 0.5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(fadeFactor(c.ms, c.cut), c.factor)
            << c.ms << " ms into fades " << c.cut.fadeIn << "/" << c.cut.fadeOut;
}

TEST(Envelope, EachFrameIsScaledByGainAndFadeTruncatedAndHeldAtTheLimits)
{
    // 16-bit PCM at 1000 frames per second, so frame i is at millisecond i.
    const std::vector<int16_t> extremes = {32767, -32768, 1, -1, 0, 12345};
    // Frames 256..259 ms into a 1024 ms fade-in.
    const std::vector<int16_t> ramp = {1024, -1024, 1024, -1024, 1024, -1024, 1024, -1024};
    const std::vector<int16_t> ramped = {256, -256, 257, -257, 258, -258, 259, -259};
    // Each: samples in, cut, channels, gain, start ms, bytes already played, samples out.
    const struct {
        std::vector<int16_t> in;
        CCutRegion cut;
        WORD channels;
        double gain;
        int64_t startMs;
        uint64_t bytesDone;
        std::vector<int16_t> out;
    } cases[] = {
        {{8000, -8000}, cutOf(1000, 5000, 8, 0), 2, 0.0, 1000, 8, {8000, -8000}}, // under 100 ms
        {ramp, cutOf(1000, 5000, 1024, 0), 2, 0.0, 1000, 4 * 256, ramped},
        {{1001, -1001}, cutOf(0, 5000, 1000, 0), 1, 3.0, 500, 0, {1501, -1504}},
        {{1001, -1001}, cutOf(0, 5000, 1000, 0), 2, 3.0, 500, 0, {1501, -1501}},
        {std::vector<int16_t>(6, 4000), cutOf(0, 5000, 1000, 0), 6, 0.0, 250, 0,
         std::vector<int16_t>(6, 1000)},
        {extremes, cutOf(0, 5000, 0, 0), 2, 0.0, 0, 0, extremes},
        {{1000, -1000}, CCutRegion(), 2, 2.5, 0, 0, {2500, -2500}},
        {{30000, -30000}, CCutRegion(), 2, 2.0, 0, 0, {32767, -32768}},
    };
    for (const auto& c : cases) {
        std::vector<int16_t> samples = c.in;
        applyEnvelope(samples.data(), static_cast<uint32_t>(samples.size() * 2), c.startMs,
                      c.bytesDone, c.cut, Pcm16Format(c.channels, 1000), c.gain);
        EXPECT_EQ(samples, c.out) << "case " << &c - cases;
    }
}
