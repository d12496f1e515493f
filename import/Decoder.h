#pragma once

#include "CString.h"

#include <cstdint>
#include <optional>

class CDatBlocks;
class IOpProgress;

// What each fault gives, in every decoder:
//   input missing, unreadable or held by another program:    DecodeFailed, with the system's code
//   output that cannot be made or written (a full disk):     DecodeFailed, with the system's code
//   the user's Cancel:                                       DecodeCancelled
//   no audio of the decoder's format in the input:           MP3, FLAC, Opus: DecodeInvalidFile
//                                                            Ogg, Windows Media, AAC: DecodeFailed
//   a damaged stream (a failed frame check, cut short):      FLAC: DecodeFailed
//   a damaged stream (a page that fails its check):          Opus: DecodeFailed
//   a stream the decoder does not take (a chained Ogg file,
//   an MP4 file whose audio is not AAC):                     DecodeNotSupported
//   the Windows Media runtime missing:                       DecodeRuntimeMissing
enum DecodeResult : int {
    DecodeDone = 0,
    DecodeCancelled = 1,
    DecodeFailed = 2,
    DecodeInvalidFile = 3,
    DecodeNotSupported = 4,
    DecodeRuntimeMissing = 5,
};

// Reads up to length bytes at offset without the handle's file pointer, so
// that threads can read one handle side by side. The bytes read, fewer at
// the file's end; nothing when the read fails (GetLastError says why).
std::optional<DWORD> ReadAt(HANDLE file, uint64_t offset, void* data, DWORD length);

// Turns one compressed input into a PCM WAV file. A decoder that fails or is
// cancelled deletes its output. The error code and text are for the log.
class IDecoder {
public:
    virtual ~IDecoder() = default;
    virtual DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                                    IOpProgress* progress) = 0;

    // The blocks to measure the written samples into for the DAT step.
    void measureInto(CDatBlocks* blocks) { m_measured = blocks; }
    // Threads the decoder may use at once; it writes the same file with any
    // number. One by default.
    void useThreads(unsigned threads) { m_threads = threads; }

    DWORD errorCode() const { return m_errorCode; }
    const CString& errorText() const { return m_errorText; }

protected:
    // The input for reading, shared for reading alone: nobody deletes or
    // replaces it while the step reads it. INVALID_HANDLE_VALUE, with the
    // error code and text set, when it cannot be opened.
    HANDLE openInput(const wchar_t* input);

    DWORD m_errorCode = 0;
    CString m_errorText;
    CDatBlocks* m_measured = nullptr;
    unsigned m_threads = 1;
};
