// Times what the user waits for on the user-interface thread: opening a file
// to its first painted frame, painting the stream view, moving the playback
// cursor and starting playback. Prints one "name value" line per figure for
// tools/bench.
//
// Usage: TarviskBench FILE [--view]

#include "import/StreamDocument.h"
#include "infra/Settings.h"
#include "hostkit/FolderSkinParser.h"
#include "view/StreamViewCtrl.h"
#include "waveform/DatCache.h"

#include "support/MemoryConfigStore.h"
#include "support/Pixels.h"
#include "support/TempDir.h"
#include "widgets/WidgetTestWindow.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double nowSeconds()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

template <class Work> double secondsOf(Work&& work)
{
    const double start = nowSeconds();
    work();
    return nowSeconds() - start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void report(const char* name, double value)
{
    printf("%s %.6f\n", name, value);
}

double megabytes(SIZE_T bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

PROCESS_MEMORY_COUNTERS memoryNow()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// The peak working set is a high-water mark over the process's life; the
// kernel under Wine lets it restart from the current size, so the peak of
// the open alone can be read afterwards.
bool restartPeakMemory()
{
    HANDLE file = CreateFileW(L"Z:\\proc\\self\\clear_refs", GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool done = WriteFile(file, "5", 1, &written, nullptr) && written == 1;
    CloseHandle(file);
    return done;
}

// The moment the player hands its first buffer to the device: this
// executable's import of waveOutWrite is pointed at a wrapper that notes it.
std::atomic<double> g_firstWrite{0.0};
decltype(&waveOutWrite) g_waveOutWrite = nullptr;

MMRESULT WINAPI notingWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    double unset = 0.0;
    g_firstWrite.compare_exchange_strong(unset, nowSeconds());
    return g_waveOutWrite(device, header, size);
}

bool hookWaveOutWrite()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "winmm.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), "waveOutWrite") != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            g_waveOutWrite = reinterpret_cast<decltype(&waveOutWrite)>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&notingWaveOutWrite);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// The settings every part of the editor reads, declared before the editor's
// windows and time model are made.
struct Settings {
    Settings()
    {
        CommonKeys(&store, &hostInfo);
        MVSettingsKeys(&store);
        GetMVSettings().SetWorkFolder(work.path());
    }
    ~Settings() { GetMVSettings().SetWorkFolder(CString()); }

    MemoryConfigStore store;
    FixedHostInfo hostInfo;
    TempDir work;
};

// The editor's stream view on the default skin, in a window of its own, on
// a document whose work folder is fresh.
class Editor : public Settings {
public:
    Editor()
    {
        CFolderSkinParser skin(ExecutableFolder() + L"\\skins\\default");
        view.create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &parent, 1000);
        view.setDocument(&document);
        document.attach(&parent, &view);
        skinned = view.loadSkin(skin) && view.applySkin();
        PumpMessages();
    }
    ~Editor() { view.stopPlaying(); }

    void setLogarithmic(bool on)
    {
        store.set(L"MV_Settings", L"LogarithmicView", on ? L"1" : L"0");
    }

    // One whole frame through the window's own painting.
    double frameSeconds()
    {
        return secondsOf([&] {
            RedrawWindow(view.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            GdiFlush();
        });
    }
    double medianFrameSeconds(int frames)
    {
        std::vector<double> times;
        for (int i = 0; i < frames; ++i)
            times.push_back(frameSeconds());
        return median(times);
    }

    WidgetTestWindow parent{SIZE{800, 240}};
    CStreamDocument document;
    CStreamViewCtrl view;
    bool skinned = false;
};

// The player's first buffer after playFromPosition, waited for while the
// window's messages are handled; negative when none came in 10 seconds.
double playbackStartSeconds(Editor& editor)
{
    g_firstWrite = 0.0;
    const double start = nowSeconds();
    editor.view.playFromPosition();
    while (g_firstWrite == 0.0 && nowSeconds() - start < 10.0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        PumpMessages();
    }
    const double first = g_firstWrite;
    return first == 0.0 ? -1.0 : first - start;
}

void measureView(Editor& editor)
{
    constexpr int kFrames = 100;
    editor.setLogarithmic(false);
    report("frame_linear_s", editor.medianFrameSeconds(kFrames));
    editor.setLogarithmic(true);
    report("frame_log_s", editor.medianFrameSeconds(kFrames));
    editor.setLogarithmic(false);
    // Without a document the view has no waveform values to draw.
    editor.view.setDocument(nullptr);
    report("frame_no_waveform_s", editor.medianFrameSeconds(kFrames));
    editor.view.setDocument(&editor.document);
    editor.frameSeconds();

    std::vector<double> starts;
    std::vector<double> moves;
    for (int round = 0; round < 5; ++round) {
        starts.push_back(playbackStartSeconds(editor));
        // A timer tick while playing moves the cursor without a full frame.
        for (int i = 0; i < 200; ++i) {
            moves.push_back(secondsOf([&] {
                editor.view.SendMessage(WM_TIMER, CStreamViewCtrl::cursorTimer);
                GdiFlush();
            }));
        }
        editor.view.stopPlaying();
        PumpMessages();
    }
    report("playback_start_s", median(starts));
    report("playback_start_max_s", *std::max_element(starts.begin(), starts.end()));
    report("cursor_move_s", median(moves));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2 || GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "usage: TarviskBench FILE [--view] (FILE must exist)\n");
        return 2;
    }
    const bool view = argc > 2 && wcscmp(argv[2], L"--view") == 0;
    if (!hookWaveOutWrite()) {
        fprintf(stderr, "TarviskBench: this build does not import waveOutWrite\n");
        return 1;
    }

    const SIZE_T before = memoryNow().WorkingSetSize;
    Editor editor;
    if (!editor.skinned) {
        fprintf(stderr, "TarviskBench: the default skin next to the program did not load\n");
        return 1;
    }
    const bool peakRestarted = restartPeakMemory();
    bool opened = false;
    const double openSeconds = secondsOf([&] {
        opened = editor.document.openInputFile(argv[1], nullptr, 0);
        UpdateWindow(editor.view.GetSafeHwnd());
        GdiFlush();
    });
    if (!opened) {
        fprintf(stderr, "TarviskBench: the file did not open\n");
        return 1;
    }
    const PROCESS_MEMORY_COUNTERS after = memoryNow();
    report("open_s", openSeconds);
    report("duration_ms", static_cast<double>(editor.document.getDurationMs()));
    // The editor, its skin and the DAT cache are there before the open; the
    // growth beyond them is what the open itself costs.
    const double dat = megabytes(CDatCache::kCapacity);
    if (peakRestarted)
        report("open_peak_memory_mb", megabytes(after.PeakWorkingSetSize - before) - dat);
    report("open_memory_mb", megabytes(after.WorkingSetSize - before) - dat);
    if (view)
        measureView(editor);
    return 0;
}
