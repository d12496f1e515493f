#pragma once

#include "CString.h"

class CDatBlocks;
class IOpProgress;

enum DecodeResult : int {
    DecodeDone = 0,
    DecodeCancelled = 1,
    DecodeFailed = 2,
    DecodeInvalidFile = 3,
    DecodeNotSupported = 4,
    DecodeRuntimeMissing = 5,
};

// Turns one compressed input into a PCM WAV file. A decoder that fails or is
// cancelled deletes its output. The error code and text are for the log.
class IDecoder {
public:
    virtual ~IDecoder() = default;
    virtual DecodeResult decodeFile(const wchar_t* input, const wchar_t* output,
                                    IOpProgress* progress) = 0;

    // The blocks to measure the written samples into for the DAT step.
    void measureInto(CDatBlocks* blocks) { m_measured = blocks; }

    DWORD errorCode() const { return m_errorCode; }
    const CString& errorText() const { return m_errorText; }

protected:
    DWORD m_errorCode = 0;
    CString m_errorText;
    CDatBlocks* m_measured = nullptr;
};
