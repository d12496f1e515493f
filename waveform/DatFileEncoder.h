#pragma once

#include "waveform/FileEncoder.h"

#include <mmsystem.h>

// Writes the DAT visualization file: one signed byte for every step frames
// of 16-bit PCM, step being a hundredth of the sample rate. The sampling
// phase carries over from one buffer to the next, so any buffer size gives
// the same file. Failures throw CKestraEncoderException.
class CDatFileEncoder : public CFileEncoder {
public:
    CDatFileEncoder(const wchar_t* baseName, const WAVEFORMATEX* format);
    ~CDatFileEncoder() override;

    void encode(const BYTE* data, UINT length) override;
    void restart(const wchar_t* baseName) override;

    // The DAT value of one frame of 16-bit little-endian samples.
    static signed char frameValue(const BYTE* frame, WORD channels);

private:
    void open(const wchar_t* baseName);
    void close();

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    WAVEFORMATEX m_format{};
    UINT m_position = 0;
    UINT m_step = 0;
};
