#include "NullSinkRecorder.h"

#include "support/TempDir.h"

#include <windows.h>

#include <string>

namespace {

// Wine's translation of a Windows path to the Linux one a Linux program needs.
CString unixPath(const CString& windowsPath)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return CString();
    char* path = toUnix(windowsPath);
    if (!path)
        return CString();
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, MAX_PATH);
    HeapFree(GetProcessHeap(), 0, path);
    return wide;
}

template <typename Condition> bool waitFor(Condition condition)
{
    for (int i = 0; i < 1000; ++i) {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}

} // namespace

NullSinkRecorder::NullSinkRecorder(const CString& rawFile, int maxSeconds) : m_rawFile(rawFile)
{
    const CString target = unixPath(rawFile);
    if (target.IsEmpty())
        return;
    // The sink this process plays to: the recording hears nothing of other tests.
    wchar_t sink[64] = L"null";
    GetEnvironmentVariableW(L"PULSE_SINK", sink, 64);
    CString command;
    // parec must not inherit the test's output: ctest waits for every holder
    // of that pipe, and the recorder outlives the test by design.
    command.Format(L"start.exe /unix /bin/sh -c \"exec >/dev/null 2>&1 </dev/null; "
                   L"exec /usr/bin/timeout %d /usr/bin/parec -d %s.monitor --raw "
                   L"--format=s16le --rate=44100 --channels=2 --latency-msec=20 '%s'\"",
                   maxSeconds, sink, target.GetString());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, command.GetBuffer(command.GetLength()), nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    command.ReleaseBuffer();
}

size_t NullSinkRecorder::recordedFrames() const
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(m_rawFile, GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow / 4;
}

bool NullSinkRecorder::waitUntilRecording(int milliseconds) const
{
    return waitForFrames(static_cast<size_t>(milliseconds) * 44100 / 1000);
}

bool NullSinkRecorder::waitForFrames(size_t frames) const
{
    return waitFor([&] { return recordedFrames() >= frames; });
}

std::vector<int16_t> NullSinkRecorder::leftChannel() const
{
    const std::string bytes = ReadFileBytes(m_rawFile);
    std::vector<int16_t> left(bytes.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[i * 4]) |
                                       (static_cast<uint8_t>(bytes[i * 4 + 1]) << 8));
    }
    return left;
}
