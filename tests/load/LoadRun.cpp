#include "LoadRun.h"

#include <winternl.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <utility>

int ScaledCount(int normal)
{
    const char* value = getenv("TARVISK_SOAK");
    const int scale = value ? atoi(value) : 0;
    return scale > 1 ? normal * scale : normal;
}

uint32_t LoadSeed()
{
    const char* given = getenv("TARVISK_SEED");
    const uint32_t seed =
        given ? static_cast<uint32_t>(strtoul(given, nullptr, 10)) : GetTickCount();
    printf("seed %u (TARVISK_SEED=%u repeats the run)\n", seed, seed);
    return seed;
}

void Watchdog::arm(const std::string& step)
{
    disarm();
    m_step = step;
    const auto expired = [](void* self, BOOLEAN) {
        const Watchdog& watchdog = *static_cast<const Watchdog*>(self);
        fprintf(stderr, "HANG: \"%s\" did not finish within %lu s\n", watchdog.m_step.c_str(),
                static_cast<unsigned long>(watchdog.m_bound));
        TerminateProcess(GetCurrentProcess(), 3);
    };
    CreateTimerQueueTimer(&m_timer, nullptr, expired, this, m_bound * 1000, 0, WT_EXECUTEONLYONCE);
}

void Watchdog::disarm()
{
    // Waits for an expiry already running, which ends the process anyway.
    if (m_timer)
        DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE);
    m_timer = nullptr;
}

namespace {

// An entry of the GDI handle table the system maps into every process and
// publishes in its process environment block; an entry of type 0 is free.
struct GdiHandleEntry {
    uint64_t object;
    uint16_t processId;
    uint16_t count;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);

constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8; // in a 64-bit process

// Handles are handed out lowest first, so a long run of unused values means
// no more follow.
unsigned long countKernelHandles()
{
    unsigned long count = 0;
    int unusedRun = 0;
    for (uintptr_t value = 4; unusedRun < 4096; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            unusedRun = 0;
        } else {
            ++unusedRun;
        }
    }
    return count;
}

unsigned long countGdiTable()
{
    PROCESS_BASIC_INFORMATION process{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process,
                                  sizeof process, nullptr) != 0)
        return 0;
    auto* peb = reinterpret_cast<const char*>(process.PebBaseAddress);
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiTableOffset);
    // Windows keeps every process's objects in one table; Wine leaves the
    // owner 0 in its table of this process alone.
    const uint16_t self = static_cast<uint16_t>(GetCurrentProcessId());
    unsigned long count = 0;
    for (size_t i = 0; i < kGdiTableEntries; ++i) {
        const GdiHandleEntry& entry = table[i];
        if (entry.type != 0 && (entry.processId == 0 || entry.processId == self))
            ++count;
    }
    return count;
}

using ThreadWindows = std::vector<std::pair<HWND, DWORD>>;

BOOL CALLBACK listWindow(HWND window, LPARAM list)
{
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return TRUE;
    reinterpret_cast<ThreadWindows*>(list)->emplace_back(window, thread);
    EnumChildWindows(window, listWindow, list);
    return TRUE;
}

ThreadWindows listWindows()
{
    ThreadWindows list;
    EnumWindows(listWindow, reinterpret_cast<LPARAM>(&list));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        listWindow(window, reinterpret_cast<LPARAM>(&list));
    return list;
}

std::vector<std::string> describe(const ThreadWindows& windows)
{
    std::vector<std::string> lines;
    for (const auto& [window, thread] : windows) {
        char name[128] = "";
        GetClassNameA(window, name, sizeof name);
        lines.push_back('"' + std::string(name) + "\" of thread " + std::to_string(thread));
    }
    return lines;
}

} // namespace

ResourceCounts ResourceCounts::now()
{
    ResourceCounts counts;
    counts.kernelHandles = countKernelHandles();
    counts.gdiObjects = countGdiTable();
    counts.windows = describe(listWindows());
    return counts;
}

ResourceCounts ResourceCounts::settled()
{
    const auto othersGone = [] {
        for (const auto& [window, thread] : listWindows())
            if (thread != GetCurrentThreadId())
                return false;
        return true;
    };
    for (const ULONGLONG giveUp = GetTickCount64() + 10000;
         !othersGone() && GetTickCount64() < giveUp;)
        Sleep(10);
    return now();
}
