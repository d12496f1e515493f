#pragma once

#include "waveform/FileEncoder.h"

#include <mmsystem.h>

#include <cstdint>
#include <vector>

// The sampling of the DAT file: one value for every step frames of 16-bit
// PCM, step being a hundredth of the sample rate. The sampling phase carries
// over from one buffer to the next, so any buffer size gives the same values.
class CDatSampler {
public:
    // firstFrame: the frame of the file the first buffer starts at, so a
    // part of the file is sampled where the whole file's pass samples it.
    explicit CDatSampler(const WAVEFORMATEX& format, uint64_t firstFrame = 0);

    // False for layouts without frames or a step; sample() needs both.
    bool usable() const { return m_channels != 0 && m_step != 0; }
    // Appends the values of the whole frames of data; a partial frame at its
    // end is dropped.
    void sample(const BYTE* data, UINT length, std::vector<signed char>& values);

private:
    WORD m_channels;
    UINT m_step;
    UINT m_position = 0; // frame, relative to the next buffer, of the next value
};

// Writes the DAT visualization file, the values of CDatSampler.
// Failures throw CKestraEncoderException.
class CDatFileEncoder : public CFileEncoder {
public:
    CDatFileEncoder(const wchar_t* baseName, const WAVEFORMATEX* format);
    ~CDatFileEncoder() override;

    void encode(const BYTE* data, UINT length) override;
    void restart(const wchar_t* baseName) override;
    // Appends values sampled elsewhere, as encode appends its own.
    void write(const signed char* values, DWORD count);

    // The DAT value of one frame of 16-bit little-endian samples.
    static signed char frameValue(const BYTE* frame, WORD channels);

private:
    void open(const wchar_t* baseName);
    void close();

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    CDatSampler m_sampler;
    std::vector<signed char> m_values;
};
