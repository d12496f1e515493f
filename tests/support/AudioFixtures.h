#pragma once

#include "CString.h"
#include "support/TempDir.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

// The audio files made before the tests by make_audio_fixtures.sh, in the
// "fixtures" folder beside the folder of the test executable.
inline CString FixturePath(const wchar_t* name)
{
    const CString bin = ExecutableFolder();
    return bin.Left(bin.ReverseFind(L'\\')) + L"\\fixtures\\" + name;
}

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

inline WavFileContents ReadWavFile(const wchar_t* path)
{
    WavFileContents wav;
    const std::string bytes = ReadFileBytes(path);
    const auto le = [&]<typename T>(T& value, size_t at) { memcpy(&value, &bytes[at], sizeof(T)); };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return wav;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        uint32_t size = 0;
        le(size, at + 4);
        const size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            le(wav.formatTag, body);
            le(wav.channels, body + 2);
            le(wav.sampleRate, body + 4);
            le(wav.avgBytesPerSec, body + 8);
            le(wav.blockAlign, body + 12);
            le(wav.bitsPerSample, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            wav.samples = bytes.substr(body, size);
            wav.valid = haveFormat;
            return wav;
        }
        at = body + size + (size & 1);
    }
    return wav;
}

// A RIFF WAVE file with a 16-byte format chunk and the given samples.
inline std::string MakeWavBytes(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                                uint16_t bitsPerSample, const std::string& samples)
{
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
    const PCMWAVEFORMAT format{
        {formatTag, channels, sampleRate, sampleRate * blockAlign, blockAlign}, bitsPerSample};
    const auto put32 = [](std::string& bytes, uint32_t value) {
        bytes.append(reinterpret_cast<const char*>(&value), 4);
    };
    std::string bytes = "RIFF";
    put32(bytes, static_cast<uint32_t>(36 + samples.size()));
    bytes += "WAVEfmt ";
    put32(bytes, sizeof(format));
    bytes.append(reinterpret_cast<const char*>(&format), sizeof(format));
    bytes += "data";
    put32(bytes, static_cast<uint32_t>(samples.size()));
    return bytes + samples;
}

// UTF-8 of a wide text, for assertions and their messages.
inline std::string Narrow(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}
// Lets failed expectations show CString values as text.
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << '"' << Narrow(text) << '"';
}
