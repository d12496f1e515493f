#include "LoadRun.h"

#include <winternl.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

int ScaledCount(int normal)
{
    const char* value = getenv("TARVISK_SOAK");
    const int scale = value ? atoi(value) : 0;
    return scale > 1 ? normal * scale : normal;
}

Watchdog::Watchdog(DWORD seconds) : m_bound(seconds), m_thread([this] { run(); }) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void Watchdog::arm(const std::string& step)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_step = step;
    m_deadline = GetTickCount64() + m_bound * 1000ull;
}

void Watchdog::disarm()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_deadline = 0;
}

void Watchdog::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, std::chrono::milliseconds(200));
        if (m_deadline != 0 && GetTickCount64() > m_deadline) {
            fprintf(stderr, "HANG: \"%s\" did not finish within %lu s\n", m_step.c_str(),
                    static_cast<unsigned long>(m_bound));
            fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
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
#ifdef _WIN64
constexpr size_t kPebGdiTableOffset = 0xF8;
#else
constexpr size_t kPebGdiTableOffset = 0x94;
#endif

const GdiHandleEntry* gdiTable()
{
    PROCESS_BASIC_INFORMATION process{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process,
                                  sizeof process, nullptr) != 0)
        return nullptr;
    auto* peb = reinterpret_cast<const char*>(process.PebBaseAddress);
    return *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiTableOffset);
}

// Wine's GetProcessHandleCount answers 0; the handle values are probed
// instead. Handles are handed out lowest first, so a long run of unused
// values means no more follow.
unsigned long countKernelHandles()
{
    DWORD reported = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0)
        return reported;
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
    const GdiHandleEntry* table = gdiTable();
    if (!table)
        return 0;
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

BOOL CALLBACK countWindow(HWND window, LPARAM counter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return TRUE;
    ++*reinterpret_cast<unsigned long*>(counter);
    EnumChildWindows(window, countWindow, counter);
    return TRUE;
}

unsigned long countWindows()
{
    unsigned long count = 0;
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        countWindow(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

ResourceCounts ResourceCounts::now()
{
    ResourceCounts counts;
    counts.kernelHandles = countKernelHandles();
    counts.guiGdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.guiUser = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    counts.gdiTableEntries = countGdiTable();
    counts.windows = countWindows();
    return counts;
}

bool ResourceCounts::gdiTableReadable()
{
    return gdiTable() != nullptr;
}

std::string ResourceCounts::describe() const
{
    char text[200];
    snprintf(text, sizeof text,
             "handles %lu, GetGuiResources GDI %lu USER %lu, GDI table %lu, windows %lu",
             kernelHandles, guiGdi, guiUser, gdiTableEntries, windows);
    return text;
}
