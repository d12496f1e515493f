#pragma once

#include "CString.h"

#include <mmsystem.h>

// Reads the samples of a RIFF WAVE file sequentially from its data chunk.
// Opening happens in the constructor; a file that cannot be opened or parsed
// throws CKestraException with the reason.
class CWavReader {
public:
    explicit CWavReader(const wchar_t* fileName);
    ~CWavReader() { close(); }
    CWavReader(const CWavReader&) = delete;
    CWavReader& operator=(const CWavReader&) = delete;

    bool isOpen() const { return m_handle != nullptr; }
    const WAVEFORMATEX* getFormat() const { return isOpen() ? &m_format : nullptr; }
    // The format tag, or for WAVE_FORMAT_EXTENSIBLE the tag its sub-format
    // stands for (WAVE_FORMAT_PCM, WAVE_FORMAT_IEEE_FLOAT...).
    WORD getEncoding() const { return m_encoding; }
    DWORD getDataSize() const { return m_dataSize; }
    // Where the samples lie, for reading parts of them on other handles.
    const CString& getFileName() const { return m_fileName; }
    DWORD getDataOffset() const { return m_dataOffset; }
    int getDurationMs() const { return m_durationMs; }
    // Bytes read, 0 at the end, (UINT)-1 when no file is open.
    UINT read(void* buffer, int length);
    // New absolute file position, or -1.
    int seek(unsigned long long milliseconds);
    void close();

private:
    bool open();
    bool parseHeader();

    CString m_fileName;
    WAVEFORMATEX m_format{};
    WORD m_encoding = 0;
    HMMIO m_handle = nullptr;
    CString m_errorText;
    DWORD m_dataOffset = 0;
    DWORD m_dataSize = 0;
    int m_durationMs = 0;
    int m_frameCount = 0;
};

// True when the format names a sample layout every division can rely on.
bool HasUsableLayout(const WAVEFORMATEX& format);

// The lowest rate that still gives one DAT value per 10 ms; below it the
// import refuses a file and the player would wait for buffers that take
// hours to play.
constexpr DWORD kMinSampleRate = 100;
