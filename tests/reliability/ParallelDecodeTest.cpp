#include "reliability/PipelineHarness.h"

#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

// Several threads decode and measure a file in pieces, and must give the very
// files one thread gives, or the same refusal. (The malformed corpus, with
// its frames of another channel mode, is compared so too, file by file.)
TEST(ParallelDecode, SeveralThreadsWriteWhatOneWrites)
{
    const CString fixtures[] = {L"tone.mp3",   L"mono.mp3",    L"vbr.mp3",     L"free.mp3",
                                L"stereo.ogg", L"chained.ogg", L"mono22k.ogg", L"pcm16.wav",
                                L"mono16.wav", L"pcm24.wav",   L"pcm16.flac",  L"tone.m4a"};
    PipelineHarness harness;
    for (const CString& fixture : fixtures) {
        harness.caseName = Narrow(fixture);
        const CString input = FixturePath(fixture);
        harness.setDecodeThreads(1);
        const OpenOutcome one = harness.open(input);
        harness.setDecodeThreads(4);
        harness.clearWorkFiles();
        const OpenOutcome several = harness.open(input);
        EXPECT_TRUE(one == several)
            << harness.caseName << ": DAT same " << (one.dat == several.dat);
        // Whole files open, so the comparison covers decoded samples.
        EXPECT_EQ(one.wav.empty(), fixture == L"chained.ogg") << harness.caseName;
    }
}
