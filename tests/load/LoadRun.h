#pragma once

#include <windows.h>

#include <atomic>

// How many times a load test repeats its cycle: the normal count, times the
// scale in TARVISK_SOAK when tools/soak sets it.
int ScaledCount(int normal);

// Ends the process with a message when the guarded work makes no progress
// for too long: a deadlocked test fails with what it was doing instead of
// hanging the run. Call step() after every cycle.
class StallWatchdog {
public:
    StallWatchdog(const char* what, int total, DWORD stallMilliseconds);
    ~StallWatchdog();
    StallWatchdog(const StallWatchdog&) = delete;
    StallWatchdog& operator=(const StallWatchdog&) = delete;

    void step() { ++m_done; }
    int done() const { return m_done; }

private:
    static DWORD WINAPI watch(LPVOID self);

    const char* m_what;
    int m_total;
    DWORD m_stallMilliseconds;
    std::atomic<int> m_done{0};
    HANDLE m_finished;
    HANDLE m_thread;
};
