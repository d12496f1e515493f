#include "infra/Logger.h"

#include "infra/Paths.h"

#include <cwctype>

namespace {

void systemLocalTime(SYSTEMTIME* now)
{
    GetLocalTime(now);
}

const wchar_t* const kLevelTags[] = {L"", L"ERR", L"WRN", L"INF", L"DBG", L"-->", L"---"};

void writeText(HANDLE file, const CString& text)
{
    DWORD written = 0;
    WriteFile(file, text.GetString(), static_cast<DWORD>(text.GetLength() * sizeof(wchar_t)),
              &written, nullptr);
}

} // namespace

CLoggerEx::CLoggerEx() : m_timeSource(systemLocalTime) {}

// The handle is left to the process: messages may still come while the
// module unloads.
CLoggerEx::~CLoggerEx() = default;

void CLoggerEx::SetLevel(int level)
{
    CSingleLock lock(&m_lock, TRUE);
    m_level = level < LOG_NONE ? LOG_NONE : level > LOG_VERBOSE ? LOG_VERBOSE : level;
}

int CLoggerEx::GetLevel()
{
    CSingleLock lock(&m_lock, TRUE);
    return m_level;
}

void CLoggerEx::SetFilePrefix(const CString& prefix)
{
    CSingleLock lock(&m_lock, TRUE);
    m_filePrefix = prefix;
}

void CLoggerEx::SetBanner(const CString& text, bool openNow)
{
    CSingleLock lock(&m_lock, TRUE);
    m_banner = text;
    if (openNow && m_level > 0)
        Open();
}

void CLoggerEx::SetTimeSource(LocalTimeSource source)
{
    CSingleLock lock(&m_lock, TRUE);
    m_timeSource = source ? source : systemLocalTime;
}

SYSTEMTIME CLoggerEx::now() const
{
    SYSTEMTIME time{};
    m_timeSource(&time);
    return time;
}

bool CLoggerEx::Open()
{
    CSingleLock lock(&m_lock, TRUE);
    if (IsOpen())
        return true;
    m_openingTime = now();
    const CString name = LogFileName(m_filePrefix, m_openingTime);
    m_file = CreateLogFile(name);
    // A log folder cleaned away while the host runs is made again, so the
    // next file (a new day, a raised level) still has somewhere to go.
    if (!IsOpen() && GetLastError() == ERROR_PATH_NOT_FOUND) {
        const int slash = name.ReverseFind(L'\\');
        if (slash > 0 && CreateDirectoryTree(name.Left(slash), nullptr))
            m_file = CreateLogFile(name);
    }
    if (!IsOpen())
        return false;
    if (!m_banner.IsEmpty()) {
        const SYSTEMTIME time = now();
        WriteLine(LOG_INFO, m_banner, &time);
    }
    return true;
}

void CLoggerEx::Close()
{
    CSingleLock lock(&m_lock, TRUE);
    if (IsOpen()) {
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
}

void CLoggerEx::WriteLine(int level, const CString& text, const SYSTEMTIME* time)
{
    CSingleLock lock(&m_lock, TRUE);
    const SYSTEMTIME stamp = time ? *time : now();
    const CString line = LogLinePrefix(stamp, GetCurrentThreadId(), level) + text + L"\r\n";
    if (IsOpen())
        writeText(m_file, line);
    if (m_echoToDebugger)
        OutputDebugStringW(line);
}

void CLoggerEx::Log(int level, const CString& text)
{
    CSingleLock lock(&m_lock, TRUE);
    if (level > m_level)
        return;
    try {
        const SYSTEMTIME time = now();
        if (IsOpen() && time.wDay != m_openingTime.wDay)
            Close();
        // When the file cannot be made the line still reaches the debugger,
        // and the next message tries again.
        Open();
        WriteLine(level, text, &time);
    } catch (...) {
        // Logging never disturbs the caller.
    }
}

CLoggerEx& GetLogger()
{
    static CLoggerEx logger;
    return logger;
}

void LogFormat(int level, const wchar_t* format, ...)
{
    CLoggerEx& logger = GetLogger();
    if (level > logger.GetLevel())
        return;
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    logger.Log(level, text);
}

int ParseLogLevel(const CString& text)
{
    static const struct {
        const wchar_t* name;
        int level;
    } names[] = {{L"None", LOG_NONE},   {L"Error", LOG_ERROR},   {L"Warning", LOG_WARNING},
                 {L"Info", LOG_INFO},   {L"Debug", LOG_DEBUG},   {L"Detail", LOG_DETAIL},
                 {L"Verbose", LOG_VERBOSE}};
    if (text.IsEmpty())
        return 0;
    for (const auto& entry : names) {
        if (text.CompareNoCase(entry.name) == 0)
            return entry.level;
    }
    const wchar_t* p = text.GetString();
    bool negative = false;
    if (*p == L'+' || *p == L'-')
        negative = *p++ == L'-';
    long long value = 0;
    while (*p >= L'0' && *p <= L'9' && value <= 0x7fffffff)
        value = value * 10 + (*p++ - L'0');
    if (value > 0x7fffffff)
        value = negative ? 0x80000000LL : 0x7fffffff;
    return static_cast<int>(negative ? -value : value);
}

CString LogLevelTag(int level)
{
    if (level < 0 || level > 69)
        return kLevelTags[0];
    return kLevelTags[level / 10];
}

CString LastErrorText()
{
    const DWORD code = GetLastError();
    CString text;
    text.Format(L"%u: ", code);
    wchar_t* message = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&message),
                       0, nullptr)) {
        text += message;
        LocalFree(message);
    } else {
        text += L"unknown error";
    }
    return text;
}

CString SystemErrorText(unsigned code)
{
    CString text;
    wchar_t* message = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(&message), 0, nullptr)) {
        text = message;
        LocalFree(message);
        text.TrimRight(L"\n");
        text.TrimRight(L"\r");
    }
    text.AppendFormat(L" (%d)", static_cast<int>(code));
    return text;
}

CString SystemErrorText()
{
    return SystemErrorText(GetLastError());
}

CString LogFileName(const CString& prefix, const SYSTEMTIME& time)
{
    CString name;
    name.Format(L"%s_%04d%02d%02d_%02d%02d%02d_%X.txt", prefix.GetString(), time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond, GetCurrentProcessId());
    return name;
}

CString LogLinePrefix(const SYSTEMTIME& time, DWORD threadId, int level)
{
    CString prefix;
    prefix.Format(L"%02d:%02d:%02d.%03d %X %s: ", time.wHour, time.wMinute, time.wSecond,
                  time.wMilliseconds, threadId, LogLevelTag(level).GetString());
    return prefix;
}

HANDLE CreateLogFile(const CString& name)
{
    HANDLE file = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        static const unsigned char bom[] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(file, bom, sizeof bom, &written, nullptr);
    }
    return file;
}
