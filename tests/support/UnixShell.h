#pragma once

#include "CString.h"

#include <windows.h>

// Wine's translation of a Windows path to the Linux one a Linux program needs.
inline CString UnixPath(const CString& windowsPath)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* path = toUnix ? toUnix(windowsPath) : nullptr;
    if (!path)
        return CString();
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, MAX_PATH);
    HeapFree(GetProcessHeap(), 0, path);
    return wide;
}

// Starts a Linux shell command line and returns without waiting for it. It
// must not inherit the test's output: ctest waits for every holder of that
// pipe, and such a command may outlive the test.
inline void StartUnixShell(const CString& script)
{
    CString command =
        L"start.exe /unix /bin/sh -c \"exec >/dev/null 2>&1 </dev/null; " + script + L"\"";
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
