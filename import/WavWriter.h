#pragma once

#include "CString.h"

#include <mmsystem.h>

class CDatBlocks;

// Writes a PCM WAV file: the 44-byte header, then the sample bytes as given.
// The size fields get their final values on close. The samples written can
// be measured for the DAT file on their way (measured, when given).
class CWavWriter {
public:
    CWavWriter() = default;
    ~CWavWriter() { close(); }
    CWavWriter(const CWavWriter&) = delete;
    CWavWriter& operator=(const CWavWriter&) = delete;

    bool create(const wchar_t* fileName, const WAVEFORMATEX* format,
                CDatBlocks* measured = nullptr);
    bool write(const void* data, int length);
    bool close();

    const CString& errorText() const { return m_errorText; }
    DWORD lastSystemError() const { return m_lastSystemError; }

private:
    WAVEFORMATEX m_format{};
    CString m_fileName;
    MMCKINFO m_riffChunk{};
    MMCKINFO m_dataChunk{};
    HMMIO m_handle = nullptr;
    CDatBlocks* m_measured = nullptr;
    CString m_errorText;
    DWORD m_lastSystemError = 0;
};

// The format record of 16-bit PCM with the given layout, as the decoders write it.
WAVEFORMATEX Pcm16Format(WORD channels, DWORD samplesPerSec);
