// The WAV file a floor writes beside its decode loop, the way the component's
// decoders write theirs: the 44-byte header, the samples in 1 MB blocks, the
// sizes put in on close. Plain WriteFile, so the floor pays only for the disk.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

class BareWavFile {
public:
    explicit BareWavFile(const wchar_t* path)
    {
        // A new file, as the component's writer makes (see CWavWriter).
        m_file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        m_block.reserve(kBlock);
        writeHeader(0, 0);
    }
    ~BareWavFile() { CloseHandle(m_file); }
    BareWavFile(const BareWavFile&) = delete;
    BareWavFile& operator=(const BareWavFile&) = delete;

    bool isOpen() const { return m_file != INVALID_HANDLE_VALUE; }

    void add(const void* data, size_t length)
    {
        const auto* bytes = static_cast<const char*>(data);
        m_block.insert(m_block.end(), bytes, bytes + length);
        if (m_block.size() >= kBlock)
            flush();
    }

    // The remaining samples, then the header with the format and the sizes.
    bool finish(WORD channels, DWORD rate)
    {
        flush();
        SetFilePointer(m_file, 0, nullptr, FILE_BEGIN);
        writeHeader(channels, rate);
        return m_good;
    }

private:
    static constexpr size_t kBlock = 1024 * 1024;

    void put(const void* data, DWORD length)
    {
        DWORD written = 0;
        m_good = WriteFile(m_file, data, length, &written, nullptr) && written == length && m_good;
    }
    void flush()
    {
        put(m_block.data(), static_cast<DWORD>(m_block.size()));
        m_dataBytes += static_cast<uint32_t>(m_block.size());
        m_block.clear();
    }
    void writeHeader(WORD channels, DWORD rate)
    {
        const WORD align = static_cast<WORD>(channels * 2);
        const uint32_t riffSize = 36 + m_dataBytes, formatSize = 16, byteRate = rate * align;
        const WORD pcm = 1, bits = 16;
        char header[44];
        char* at = header;
        auto field = [&](const void* value, size_t size) {
            memcpy(at, value, size);
            at += size;
        };
        field("RIFF", 4);
        field(&riffSize, 4);
        field("WAVEfmt ", 8);
        field(&formatSize, 4);
        field(&pcm, 2);
        field(&channels, 2);
        field(&rate, 4);
        field(&byteRate, 4);
        field(&align, 2);
        field(&bits, 2);
        field("data", 4);
        field(&m_dataBytes, 4);
        put(header, sizeof header);
    }

    HANDLE m_file;
    std::vector<char> m_block;
    uint32_t m_dataBytes = 0;
    bool m_good = true;
};
