#pragma once

#include "CString.h"

class CWavReader;
class IOpProgress;

// Each unsigned 8-bit sample u becomes the 16-bit sample (u - 128) * 256.
// capacity is the output size in bytes; on success it is set to 2 * length.
bool Convert8To16Bit(const BYTE* input, int length, BYTE* output, int& capacity);

enum StepResult : int { StepDone = 0, StepCancelled = 1, StepFailed = 2 };

// Writes the samples of an 8-bit PCM reader as a 16-bit PCM WAV file. On
// failure or cancel the destination is deleted.
int convertWavFrom8Bit(CWavReader* reader, const wchar_t* destination, IOpProgress* progress,
                       CString& errorText);
