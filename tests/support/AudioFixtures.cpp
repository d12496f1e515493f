#include "AudioFixtures.h"

#include "TempDir.h"

#include <windows.h>

#include <cstring>

namespace {

template <typename T> T le(const std::string& bytes, size_t at)
{
    T value = 0;
    memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

void put32(std::string& bytes, uint32_t value)
{
    bytes.append(reinterpret_cast<const char*>(&value), 4);
}

} // namespace

CString FixturePath(const wchar_t* name)
{
    CString folder = ExecutableFolder();             // bin
    folder = folder.Left(folder.ReverseFind(L'\\')); // build folder
    return folder + L"\\fixtures\\" + name;
}

WavFileContents ReadWavFile(const wchar_t* path)
{
    WavFileContents wav;
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return wav;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = le<uint32_t>(bytes, at + 4);
        const size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            wav.formatTag = le<uint16_t>(bytes, body);
            wav.channels = le<uint16_t>(bytes, body + 2);
            wav.sampleRate = le<uint32_t>(bytes, body + 4);
            wav.avgBytesPerSec = le<uint32_t>(bytes, body + 8);
            wav.blockAlign = le<uint16_t>(bytes, body + 12);
            wav.bitsPerSample = le<uint16_t>(bytes, body + 14);
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

std::string MakeWavBytes(uint16_t formatTag, uint16_t channels, uint32_t sampleRate,
                         uint16_t bitsPerSample, const std::string& samples)
{
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
    const PCMWAVEFORMAT format{
        {formatTag, channels, sampleRate, sampleRate * blockAlign, blockAlign}, bitsPerSample};
    std::string bytes = "RIFF";
    put32(bytes, static_cast<uint32_t>(36 + samples.size()));
    bytes += "WAVEfmt ";
    put32(bytes, sizeof(format));
    bytes.append(reinterpret_cast<const char*>(&format), sizeof(format));
    bytes += "data";
    put32(bytes, static_cast<uint32_t>(samples.size()));
    return bytes + samples;
}

std::string Narrow(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}
