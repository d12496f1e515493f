#pragma once

#include "view/CutRegion.h"

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>

// Factor of the cut's fades at stream time t (ms): rising from 0 to 1 over
// the fade-in, falling from 1 to 0 over the fade-out, 1 everywhere else. A
// fade shorter than minFadeLength is not applied.
double fadeFactor(int64_t t, const CCutRegion& cut);

// Scales a block of 16-bit samples in place by the fade factor of each
// frame's time (when the cut is valid) and by gain (when above 0). The block follows bytesDone
// bytes played from startMs; samples that would overflow are held at the limits.
void applyEnvelope(void* block, uint32_t blockBytes, int64_t startMs, uint64_t bytesDone,
                   const CCutRegion& cut, const WAVEFORMATEX& format, double gain);

constexpr int64_t minFadeLength = 100;
