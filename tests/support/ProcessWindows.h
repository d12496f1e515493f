#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// The visible top-level windows of a process that pass the test.
inline std::vector<HWND> ProcessWindows(DWORD process, const std::function<bool(HWND)>& wanted)
{
    struct Search {
        DWORD process;
        const std::function<bool(HWND)>& wanted;
        std::vector<HWND> found;
    } search{process, wanted, {}};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && IsWindowVisible(window) && s->wanted(window))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every top-level window of this thread, shown or hidden.
inline std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Waits up to a minute for the condition; false when it never held.
inline bool WaitFor(const std::function<bool()>& condition)
{
    for (const ULONGLONG giveUp = GetTickCount64() + 60000; !condition(); Sleep(10))
        if (GetTickCount64() > giveUp)
            return false;
    return true;
}

// Waits up to a minute for such a window; null when none showed.
inline HWND WaitForProcessWindow(DWORD process, const std::function<bool(HWND)>& wanted)
{
    std::vector<HWND> found;
    WaitFor([&] { return !(found = ProcessWindows(process, wanted)).empty(); });
    return found.empty() ? nullptr : found.front();
}
