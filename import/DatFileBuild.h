#pragma once

#include "CString.h"

#include <mmsystem.h>

class CWavReader;
class IOpProgress;

// Largest absolute sample of a 16-bit buffer (first two channels); 0 for
// other widths and for an empty buffer.
int computePeak(const BYTE* samples, UINT byteCount, const WAVEFORMATEX& format);

// Builds baseName + ".dat" from the reader's samples and measures the peak.
// Returns a StepResult; a failed or cancelled build deletes its file.
int createDatFile(CWavReader* reader, const wchar_t* baseName, IOpProgress* progress, int& peak,
                  CString& errorText);
