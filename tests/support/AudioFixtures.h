#pragma once

#include "CString.h"
#include "support/TempDir.h"

#include <windows.h>

#include <mmreg.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

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

// A RIFF WAVE file with the given samples and a format chunk of 16 bytes or,
// with a sub-format, the 40 of an extensible one.
inline std::string MakeWavBytes(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                                uint16_t bitsPerSample, const std::string& samples,
                                const GUID* subFormat = nullptr)
{
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
    const WAVEFORMATEXTENSIBLE format{
        {formatTag, channels, sampleRate, sampleRate * blockAlign, blockAlign, bitsPerSample, 22},
        {bitsPerSample},
        0,
        subFormat ? *subFormat : GUID{}};
    const auto le32 = [](size_t value) {
        const uint32_t v = static_cast<uint32_t>(value);
        return std::string(reinterpret_cast<const char*>(&v), 4);
    };
    const std::string fmt(reinterpret_cast<const char*>(&format), subFormat ? sizeof format : 16);
    const std::string body =
        "WAVEfmt " + le32(fmt.size()) + fmt + "data" + le32(samples.size()) + samples;
    return "RIFF" + le32(body.size()) + body;
}

// 16-bit samples as the bytes of a data chunk, and back.
inline std::string Pcm16(const std::vector<int16_t>& samples)
{
    return std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
}
inline std::vector<int16_t> Samples16(const std::string& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
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
