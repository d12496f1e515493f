// Times what the user waits for on the user-interface thread: opening a file
// to its first painted frame, painting the stream view, moving the playback
// cursor and starting playback. Prints one "name value" line per figure for
// tools/bench.
//
// Usage: TarviskBench FILE [--view] [--threads N] [--keep FOLDER]
//   --view     also times the view on the open file
//   --threads  the DecodeThreads setting (0: every processor)
//   --keep     moves the open's DAT file, and its WAV file when the open
//              made one, to FOLDER as open.dat and open.wav

#include "import/StreamDocument.h"
#include "infra/Settings.h"
#include "hostkit/FolderSkinParser.h"
#include "view/StreamViewCtrl.h"
#include "waveform/DatCache.h"

#include "support/TestStore.h"
#include "support/Pixels.h"
#include "support/TempDir.h"
#include "support/ImportHook.h"
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

// Where a playback start spends its time: this executable's imports of
// waveOutOpen and waveOutWrite are pointed at wrappers that note when the
// player asks for the device, when it has it, and when it hands over its
// first buffer.
std::atomic<double> g_openCalled{0.0};
std::atomic<double> g_openReturned{0.0};
std::atomic<double> g_firstWrite{0.0};
decltype(&waveOutOpen) g_waveOutOpen = nullptr;
decltype(&waveOutWrite) g_waveOutWrite = nullptr;

void noteOnce(std::atomic<double>& moment)
{
    double unset = 0.0;
    moment.compare_exchange_strong(unset, nowSeconds());
}

MMRESULT WINAPI notingWaveOutOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format,
                                  DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    noteOnce(g_openCalled);
    const MMRESULT result = g_waveOutOpen(device, id, format, callback, instance, flags);
    noteOnce(g_openReturned);
    return result;
}

MMRESULT WINAPI notingWaveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size)
{
    noteOnce(g_firstWrite);
    return g_waveOutWrite(device, header, size);
}

bool hookWaveOut()
{
    g_waveOutOpen = hookImport("winmm.dll", "waveOutOpen", &notingWaveOutOpen);
    g_waveOutWrite = hookImport("winmm.dll", "waveOutWrite", &notingWaveOutWrite);
    return g_waveOutOpen && g_waveOutWrite;
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

    TestStore store;
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

// One playback start in its parts: up to the player asking for the device,
// the device's opening, and from there to the first buffer.
struct PlaybackStart {
    double total = -1.0; // negative when no buffer came in 10 seconds
    double beforeOpen = 0.0;
    double deviceOpen = 0.0;
    double afterOpen = 0.0;
};

// The player's first buffer after playFromPosition, waited for while the
// window's messages are handled.
PlaybackStart playbackStart(Editor& editor)
{
    g_openCalled = g_openReturned = g_firstWrite = 0.0;
    const double start = nowSeconds();
    editor.view.playFromPosition();
    while (g_firstWrite == 0.0 && nowSeconds() - start < 10.0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        PumpMessages();
    }
    PlaybackStart parts;
    if (g_firstWrite == 0.0)
        return parts;
    parts.total = g_firstWrite - start;
    parts.beforeOpen = g_openCalled - start;
    parts.deviceOpen = g_openReturned - g_openCalled;
    parts.afterOpen = g_firstWrite - g_openReturned;
    return parts;
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

    std::vector<PlaybackStart> starts;
    std::vector<double> moves;
    for (int round = 0; round < 10; ++round) {
        starts.push_back(playbackStart(editor));
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
    std::vector<double> totals;
    for (const PlaybackStart& one : starts)
        totals.push_back(one.total);
    const bool failed = std::find(totals.begin(), totals.end(), -1.0) != totals.end();
    const auto slowest = std::max_element(
        starts.begin(), starts.end(),
        [](const PlaybackStart& a, const PlaybackStart& b) { return a.total < b.total; });
    report("playback_start_s", median(totals));
    // A start without a buffer is slower than any other.
    report("playback_start_max_s", failed ? 10.0 : slowest->total);
    report("playback_slowest_before_open_s", slowest->beforeOpen);
    report("playback_slowest_device_open_s", slowest->deviceOpen);
    report("playback_slowest_after_open_s", slowest->afterOpen);
    report("cursor_move_s", median(moves));
}

struct Arguments {
    const wchar_t* file = nullptr;
    bool view = false;
    const wchar_t* threads = nullptr;
    const wchar_t* keep = nullptr;
};

bool parse(int argc, wchar_t** argv, Arguments& arguments)
{
    if (argc < 2 || GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES)
        return false;
    arguments.file = argv[1];
    for (int i = 2; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (wcscmp(argv[i], L"--view") == 0)
            arguments.view = true;
        else if (wcscmp(argv[i], L"--threads") == 0 && valued)
            arguments.threads = argv[++i];
        else if (wcscmp(argv[i], L"--keep") == 0 && valued)
            arguments.keep = argv[++i];
        else
            return false;
    }
    return true;
}

// The open's files, kept for comparing with another open's.
bool keepFiles(const CStreamDocument& document, const wchar_t* input, const CString& folder)
{
    const auto move = [](const CString& from, const CString& to) {
        return MoveFileExW(from, to, MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING) != FALSE;
    };
    const bool madeWav = document.getWavPath().CompareNoCase(input) != 0;
    return move(document.getDatPath(), folder + L"\\open.dat") &&
           (!madeWav || move(document.getWavPath(), folder + L"\\open.wav"));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        fprintf(stderr, "usage: TarviskBench FILE [--view] [--threads N] [--keep FOLDER] (FILE "
                        "must exist)\n");
        return 2;
    }
    if (!hookWaveOut()) {
        fprintf(stderr, "TarviskBench: this build does not import waveOutOpen and waveOutWrite\n");
        return 1;
    }

    const SIZE_T before = memoryNow().WorkingSetSize;
    Editor editor;
    if (!editor.skinned) {
        fprintf(stderr, "TarviskBench: the default skin next to the program did not load\n");
        return 1;
    }
    if (arguments.threads)
        editor.store.set(L"MV_Settings", L"DecodeThreads", arguments.threads);
    const bool peakRestarted = restartPeakMemory();
    bool opened = false;
    const double openSeconds = secondsOf([&] {
        opened = editor.document.openInputFile(arguments.file, nullptr, 0);
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
    report("threads", GetMVSettings().GetDecodeThreads());
    report("gain", editor.document.getGain());
    // The editor, its skin and the DAT cache are there before the open; the
    // growth beyond them is what the open itself costs.
    const double dat = megabytes(CDatCache::kCapacity);
    if (peakRestarted)
        report("open_peak_memory_mb", megabytes(after.PeakWorkingSetSize - before) - dat);
    report("open_memory_mb", megabytes(after.WorkingSetSize - before) - dat);
    if (arguments.view)
        measureView(editor);
    if (arguments.keep && !keepFiles(editor.document, arguments.file, arguments.keep)) {
        fprintf(stderr, "TarviskBench: the open's files could not be moved to the folder\n");
        return 1;
    }
    return 0;
}
