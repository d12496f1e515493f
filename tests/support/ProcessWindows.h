#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// The visible top-level windows of a process that pass the test.
std::vector<HWND> ProcessWindows(DWORD process, const std::function<bool(HWND)>& wanted);

// Waits up to a minute for the condition; false when it never held.
bool WaitFor(const std::function<bool()>& condition);

// Waits up to a minute for such a window; null when none showed.
HWND WaitForProcessWindow(DWORD process, const std::function<bool(HWND)>& wanted);
