#pragma once

#include "CString.h"

// A writer that turns PCM buffers into a file of its own format.
class CFileEncoder {
public:
    virtual ~CFileEncoder() = default;
    virtual void encode(const BYTE* data, UINT length) = 0;
    virtual void restart(const wchar_t* baseName) = 0;

    DWORD lastSystemError() const { return m_lastSystemError; }

protected:
    CString m_fileName;
    DWORD m_lastSystemError = 0;
};
