#pragma once

#include "CString.h"
#include "Sync.h"

// Trace levels: a message is written when its level is at most the channel's.
enum LogLevel : int {
    LOG_NONE = 0,
    LOG_ERROR = 10,
    LOG_WARNING = 20,
    LOG_INFO = 30,
    LOG_DEBUG = 40,
    LOG_DETAIL = 50,
    LOG_VERBOSE = 60,
};

// Local time; the log asks for it through this hook so tests can move the clock.
using LocalTimeSource = void (*)(SYSTEMTIME* now);

// The main diagnostic log: UTF-16 text files, one per day and process, each
// starting with the banner; every line is echoed to the debugger output.
class CLoggerEx {
public:
    CLoggerEx();
    virtual ~CLoggerEx();

    void SetLevel(int level);
    int GetLevel();
    void SetFilePrefix(const CString& prefix);
    void SetBanner(const CString& text, bool openNow);
    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    bool Open();
    void Close();
    void WriteLine(int level, const CString& text, const SYSTEMTIME* time = nullptr);
    void Log(int level, const CString& text);

    void SetTimeSource(LocalTimeSource source);

private:
    SYSTEMTIME now() const;

    CString m_filePrefix = L"Log";
    int m_level = 0;
    bool m_echoToDebugger = true;
    CString m_banner;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    SYSTEMTIME m_openingTime{};
    CCriticalSection m_lock;
    LocalTimeSource m_timeSource;
};

CLoggerEx& GetLogger();
void LogFormat(int level, const wchar_t* format, ...);

// Empty text gives 0, a level name (any case) its number, otherwise the
// decimal integer the text starts with.
int ParseLogLevel(const CString& text);
CString LogLevelTag(int level);

// "<code>: <system message>" for the thread's last error.
CString LastErrorText();
// The system's message for code, trimmed, followed by " (<code>)".
CString SystemErrorText(unsigned code);
CString SystemErrorText();

// Pieces shared by both channels.
CString LogFileName(const CString& prefix, const SYSTEMTIME& time);
CString LogLinePrefix(const SYSTEMTIME& time, DWORD threadId, int level);
HANDLE CreateLogFile(const CString& name);
