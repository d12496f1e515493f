#pragma once

#include "CString.h"

#include <cstdint>
#include <ostream>
#include <string>

// The audio files made before the tests by make_audio_fixtures.sh, in the
// "fixtures" folder beside the folder of the test executable.
CString FixturePath(const wchar_t* name);

// A WAV file taken apart by the tests themselves, independent of the
// component's reader.
struct WavFileContents {
    bool valid = false;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::string samples; // the data chunk's bytes
};
WavFileContents ReadWavFile(const wchar_t* path);

// A RIFF WAVE file with a 16-byte format chunk and the given samples.
std::string MakeWavBytes(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                         uint16_t bitsPerSample, const std::string& samples);

// UTF-8 of a wide text, for assertions and their messages.
std::string Narrow(const wchar_t* text);
// Lets failed expectations show CString values as text.
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << '"' << Narrow(text) << '"';
}
