#include "playback/Envelope.h"

#include <algorithm>

double fadeFactor(int64_t t, const CCutRegion& cut)
{
    const int64_t fadeInEnd = cut.fadeInEnd();
    const int64_t fadeOutStart = cut.fadeOutStart();
    if (cut.begin <= t && t < fadeInEnd) {
        if (fadeInEnd - cut.begin < minFadeLength)
            return 1.0;
        return static_cast<double>(t - cut.begin) / static_cast<double>(fadeInEnd - cut.begin);
    }
    if (fadeOutStart <= t && t < cut.end) {
        if (cut.end - fadeOutStart < minFadeLength)
            return 1.0;
        return static_cast<double>(cut.end - t) / static_cast<double>(cut.end - fadeOutStart);
    }
    return 1.0;
}

void applyEnvelope(void* block, uint32_t blockBytes, int64_t startMs, uint64_t bytesDone,
                   const CCutRegion& cut, const WAVEFORMATEX& format, double gain)
{
    const uint32_t frameBytes = format.wBitsPerSample * format.nChannels / 8;
    const uint32_t frames = blockBytes / frameBytes;
    auto* samples = static_cast<int16_t*>(block);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto t =
            static_cast<int64_t>(static_cast<double>(startMs) +
                                 static_cast<double>(uint64_t{i} * frameBytes + bytesDone) *
                                     1000.0 / format.nAvgBytesPerSec);
        double factor = cut.valid ? fadeFactor(t, cut) : 1.0;
        if (gain > 0.0)
            factor *= gain;
        for (int16_t* sample = samples + i * format.nChannels;
             sample < samples + (i + 1) * format.nChannels; ++sample) {
            const double scaled = std::clamp(*sample * factor, -32768.0, 32767.0);
            *sample = static_cast<int16_t>(scaled);
        }
    }
}
