#pragma once

#include "CString.h"

// The failure of an import or playback step. The code says how it is
// reported: cancelled (nothing shown), wrapped in the "could not open"
// message, or shown as it is.
class CKestraException {
public:
    enum Code : int { Cancelled = -1, WrapInOpenMessage = 0, ShowUnchanged = 1 };

    CKestraException(const CString& message, int code) : m_message(message), m_code(code) {}
    virtual ~CKestraException() = default;

    const CString& message() const { return m_message; }
    int code() const { return m_code; }

private:
    CString m_message;
    int m_code;
};

// Thrown by the DAT writer.
class CKestraEncoderException : public CKestraException {
public:
    using CKestraException::CKestraException;
};
