#pragma once

#include "CString.h"

#include <cstdint>

class CWavReader;
class IOpProgress;

// Whether samples of this encoding (a format tag, WAVE_FORMAT_EXTENSIBLE
// resolved) and width can become 16-bit PCM: PCM of 8, 16, 24 or 32 bits,
// IEEE floats of 32 or 64 bits.
bool IsConvertibleTo16Bit(WORD encoding, WORD bits);

// Converts `count` samples to 16 bits, without dither so that results are
// exact: unsigned 8-bit u becomes (u - 128) * 256, wider integers round to
// the nearest 16-bit value, floats are scaled by 32768, rounded and clipped
// at full scale.
void ConvertTo16Bit(WORD encoding, WORD bits, const BYTE* input, size_t count, int16_t* output);

// A text naming a WAV format, for the message that refuses it: "2 (ADPCM)".
CString WaveFormatName(WORD encoding);

enum StepResult : int { StepDone = 0, StepCancelled = 1, StepFailed = 2 };

// Writes the samples of a reader whose layout IsConvertibleTo16Bit as a
// 16-bit PCM WAV file with the same channels and rate. On failure or cancel
// the destination is deleted.
int convertWavTo16Bit(CWavReader* reader, const wchar_t* destination, IOpProgress* progress,
                      CString& errorText);
