#pragma once

#include <windows.h>

#include <string>
#include <vector>

// How many times a long test repeats its cycle: the normal count, times the
// scale in TARVISK_SOAK when tools/soak sets it.
int ScaledCount(int normal);
// A seed for a long test's random choices: TARVISK_SEED when set, which
// replays a run, else the clock; printed either way.
uint32_t LoadSeed();

// Ends the process, naming the step, when an armed step overruns its bound:
// a stuck thread holds locks nothing will release, so only that fails a hang.
class Watchdog {
public:
    explicit Watchdog(DWORD seconds) : m_bound(seconds) {}
    ~Watchdog() { disarm(); }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(const std::string& step);
    void disarm();

private:
    const DWORD m_bound;
    std::string m_step;
    HANDLE m_timer = nullptr;
};

// What the process holds of the system's objects. Wine answers 0 from
// GetGuiResources and GetProcessHandleCount: kernel handles are probed, GDI
// objects counted in the GDI handle table, windows listed by class and thread.
struct ResourceCounts {
    unsigned long kernelHandles = 0;
    unsigned long gdiObjects = 0;
    std::vector<std::string> windows;

    static ResourceCounts now();
    // The same once every window of the process is this thread's again, or
    // after ten seconds: the audio layer's thread takes its window down in its
    // own time after the last device closed.
    static ResourceCounts settled();
};
