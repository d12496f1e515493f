#include "infra/TraceChannel.h"

#include "infra/Logger.h"

namespace {

struct TraceChannel {
    HANDLE file = INVALID_HANDLE_VALUE;
    bool echoToDebugger = true;
    int level = 0;
    volatile LONG ownerThread = 0;
    const wchar_t* filePrefix = nullptr;
    SYSTEMTIME openingTime{};
    wchar_t fileName[1001] = {};
    bool reopenAfterWrite = false;
};

TraceChannel& channel()
{
    static TraceChannel instance;
    return instance;
}

void acquire(TraceChannel& ch)
{
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    while (ch.ownerThread != self && InterlockedCompareExchange(&ch.ownerThread, self, 0) != 0)
        Sleep(25);
}

void release(TraceChannel& ch)
{
    InterlockedCompareExchange(&ch.ownerThread, 0, static_cast<LONG>(GetCurrentThreadId()));
}

void openFile(TraceChannel& ch)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    const CString name = LogFileName(ch.filePrefix ? ch.filePrefix : L"Trace", time);
    lstrcpynW(ch.fileName, name, 1001);
    ch.file = CreateLogFile(ch.fileName);
    if (ch.file != INVALID_HANDLE_VALUE)
        ch.openingTime = time;
}

} // namespace

void SetTraceChannelLevel(int level)
{
    channel().level = level;
}

void SetTraceChannelPrefix(const wchar_t* prefix)
{
    channel().filePrefix = prefix;
}

void TraceFormat(int level, const wchar_t* format, ...)
{
    TraceChannel& ch = channel();
    if (!format || ch.level == 0 || level > ch.level)
        return;
    acquire(ch);
    SYSTEMTIME time;
    GetLocalTime(&time);
    if (ch.file != INVALID_HANDLE_VALUE &&
        (time.wYear != ch.openingTime.wYear || time.wMonth != ch.openingTime.wMonth ||
         time.wDay != ch.openingTime.wDay)) {
        CloseHandle(ch.file);
        ch.file = INVALID_HANDLE_VALUE;
    }
    if (ch.file == INVALID_HANDLE_VALUE)
        openFile(ch);

    va_list args;
    va_start(args, format);
    CString message;
    message.FormatV(format, args);
    va_end(args);
    const CString line =
        LogLinePrefix(time, static_cast<DWORD>(ch.ownerThread), level) + message + L"\r\n";
    if (ch.file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(ch.file, line.GetString(), static_cast<DWORD>(line.GetLength() * sizeof(wchar_t)),
                  &written, nullptr);
        if (ch.reopenAfterWrite) {
            CloseHandle(ch.file);
            ch.file = CreateFileW(ch.fileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (ch.file != INVALID_HANDLE_VALUE)
                SetFilePointer(ch.file, 0, nullptr, FILE_END);
        }
    }
    if (ch.echoToDebugger)
        OutputDebugStringW(line);
    release(ch);
}
