#include "LoadRun.h"

#include <cstdio>
#include <cstdlib>

int ScaledCount(int normal)
{
    const char* value = getenv("TARVISK_SOAK");
    const int scale = value ? atoi(value) : 0;
    return scale > 1 ? normal * scale : normal;
}

StallWatchdog::StallWatchdog(const char* what, int total, DWORD stallMilliseconds)
    : m_what(what), m_total(total), m_stallMilliseconds(stallMilliseconds),
      m_finished(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_thread(CreateThread(nullptr, 0, watch, this, 0, nullptr))
{
}

StallWatchdog::~StallWatchdog()
{
    SetEvent(m_finished);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    CloseHandle(m_finished);
}

DWORD WINAPI StallWatchdog::watch(LPVOID self)
{
    auto* dog = static_cast<StallWatchdog*>(self);
    int seen = -1;
    while (WaitForSingleObject(dog->m_finished, dog->m_stallMilliseconds) == WAIT_TIMEOUT) {
        const int done = dog->m_done;
        if (done != seen) {
            seen = done;
            continue;
        }
        // The stuck thread holds locks nothing will release; only ending the
        // process gets the run going again.
        fprintf(stderr, "%s: stuck after %d of %d cycles (no progress for %lu ms)\n", dog->m_what,
                done, dog->m_total, static_cast<unsigned long>(dog->m_stallMilliseconds));
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
}
