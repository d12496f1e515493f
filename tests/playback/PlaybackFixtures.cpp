#include "PlaybackFixtures.h"

#include "support/AudioFixtures.h"

void writeSquareWav(const wchar_t* path, int milliseconds, int amplitude)
{
    const int64_t frames = int64_t{milliseconds} * kRate / 1000;
    std::string samples;
    samples.reserve(static_cast<size_t>(frames) * 4);
    for (int64_t frame = 0; frame < frames; ++frame) {
        const int16_t value = static_cast<int16_t>(frame / 50 % 2 ? -amplitude : amplitude);
        for (int channel = 0; channel < 2; ++channel) {
            samples.push_back(static_cast<char>(value & 0xFF));
            samples.push_back(static_cast<char>((value >> 8) & 0xFF));
        }
    }
    WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 2, kRate, 16, samples));
}
