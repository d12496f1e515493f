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

// Ends the process with the step named when an armed step overruns its
// bound: a hang or deadlock fails the test instead of holding up the run.
// The stuck thread holds locks nothing will release, so only ending the
// process gets the run going again.
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
// GetGuiResources and GetProcessHandleCount, so kernel handles are counted by
// probing the handle values, GDI objects in the process's GDI handle table,
// and windows (the bulk of a window component's USER objects) by enumeration,
// each described by its class and the thread that owns it.
struct ResourceCounts {
    unsigned long kernelHandles = 0;
    unsigned long gdiObjects = 0;
    std::vector<std::string> windows;

    static ResourceCounts now();
    // The same once every window of the process is this thread's again, or
    // after ten seconds. The system's audio layer keeps a window on a thread
    // of its own while a device is in use, and that thread takes it down on
    // its own time after the last device closed: under load, after the
    // caller's next step.
    static ResourceCounts settled();
};
