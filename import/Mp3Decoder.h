#pragma once

#include "import/Decoder.h"
#include "import/WavWriter.h"

#include <cstdint>
#include <memory>
#include <optional>

struct mad_stream;
struct mad_header;
struct mad_pcm;

// MPEG audio through libmad's synchronous decoder, written as 16-bit PCM.
class CMp3Decoder : public IDecoder {
public:
    DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                            IOpProgress* progress) override;

    // Bytes to skip for an ID3v2 tag at the start of header (0 when none).
    static UINT id3v2TagSize(const BYTE* header, UINT count, bool skipMagic = false);

private:
    // Decodes the file in pieces on several threads, exactly as one pass
    // would: libmad's result code, or nothing when the file is left to one
    // pass (too short, no frames to cut at, or a piece that could differ).
    std::optional<int> decodeInPieces(uint64_t fileSize, UINT skip);
    // The output file, made at the first frame's layout.
    bool createOutput(WORD channels, DWORD sampleRate);
    // libmad's entry points into this decoder.
    struct Callbacks;
    int refill(mad_stream* stream);
    int writeFrame(const mad_pcm* pcm);
    bool flushOutput();

    HANDLE m_input = INVALID_HANDLE_VALUE;
    CString m_outputPath;
    CWavWriter m_writer;
    bool m_formatKnown = false;
    WORD m_channels = 0;
    std::unique_ptr<BYTE[]> m_inputBuffer;
    UINT m_inputCount = 0;
    std::unique_ptr<int16_t[]> m_outputBuffer;
    UINT m_outputCount = 0; // samples
    UINT m_bytesRead = 0;
    IOpProgress* m_progress = nullptr;
    bool m_cancelled = false;
    bool m_endGuarded = false;
};
