#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// How many times a long test repeats its cycle: the normal count, times the
// scale in TARVISK_SOAK when tools/soak sets it.
int ScaledCount(int normal);

// Ends the process with the step named when an armed step overruns its
// bound: a hang or deadlock fails the test instead of holding up the run.
// The stuck thread holds locks nothing will release, so only ending the
// process gets the run going again.
class Watchdog {
public:
    explicit Watchdog(DWORD seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(const std::string& step);
    void disarm();

private:
    void run();

    const DWORD m_bound;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_step;
    ULONGLONG m_deadline = 0;
    bool m_stop = false;
    std::thread m_thread;
};

// What the process holds of the system's objects. GetGuiResources is what
// Windows reports; Wine answers 0 for both kinds, so the GDI objects are also
// counted in the process's GDI handle table, and the windows (the bulk of a
// window component's USER objects) by enumeration. Kernel handles come from
// GetProcessHandleCount, or by probing where that answers 0.
struct ResourceCounts {
    unsigned long kernelHandles = 0;
    unsigned long guiGdi = 0;
    unsigned long guiUser = 0;
    unsigned long gdiTableEntries = 0;
    unsigned long windows = 0;

    static ResourceCounts now();
    // True when the process's GDI handle table could be read.
    static bool gdiTableReadable();
    std::string describe() const;
};
