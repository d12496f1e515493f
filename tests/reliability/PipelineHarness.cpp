#include "PipelineHarness.h"

#include "import/WavReader.h"
#include "infra/KestraException.h"
#include "infra/Paths.h"
#include "infra/Settings.h"
#include "playback/WavPlayer.h"

#include "support/AudioFixtures.h"
#include "support/MessageBoxWatcher.h"

#include <cstdio>
#include <cstring>

Watchdog::Watchdog(DWORD seconds)
    : m_bound(seconds), m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    InitializeCriticalSection(&m_lock);
    m_thread = std::thread([this] { run(); });
}

Watchdog::~Watchdog()
{
    m_stop = true;
    SetEvent(m_wake);
    m_thread.join();
    CloseHandle(m_wake);
    DeleteCriticalSection(&m_lock);
}

void Watchdog::arm(const std::string& label)
{
    EnterCriticalSection(&m_lock);
    m_label = label;
    m_deadline = GetTickCount64() + m_bound * 1000ull;
    LeaveCriticalSection(&m_lock);
}

void Watchdog::disarm()
{
    EnterCriticalSection(&m_lock);
    m_deadline = 0;
    LeaveCriticalSection(&m_lock);
}

void Watchdog::run()
{
    while (!m_stop) {
        WaitForSingleObject(m_wake, 200);
        EnterCriticalSection(&m_lock);
        const bool overrun = m_deadline != 0 && GetTickCount64() > m_deadline;
        if (overrun) {
            fprintf(stderr, "HANG: \"%s\" did not finish within %lu s\n", m_label.c_str(),
                    static_cast<unsigned long>(m_bound));
            fflush(stderr);
            fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        LeaveCriticalSection(&m_lock);
    }
}

PipelineHarness::PipelineHarness(const CString& workFolder) : m_work(workFolder)
{
    CommonKeys(&m_store, &m_hostInfo);
    MVSettingsKeys(&m_store);
    GetMVSettings().SetWorkFolder(m_work);
    document.attach(nullptr, &m_view);
}

PipelineHarness::~PipelineHarness()
{
    GetMVSettings().SetWorkFolder(CString());
}

CString PipelineHarness::workFile(const wchar_t* name) const
{
    CString path = m_work;
    AppendPathPart(path, name);
    return path;
}

void PipelineHarness::clearWorkFiles() const
{
    DeleteFileW(workFile(L"temp.in"));
    DeleteFileW(workFile(L"temp.dat"));
}

OpenOutcome PipelineHarness::open(const CString& input)
{
    OpenOutcome outcome;
    MessageBoxWatcher boxes;
    outcome.opened = document.openInputFile(input, nullptr, 0);
    outcome.boxes = boxes.texts();
    return outcome;
}

std::string PipelineHarness::checkAfterFailure()
{
    std::string problems;
    if (document.isBusy())
        problems += " busy flag left up;";
    if (document.getDurationMs() != 0 || !document.getWavPath().IsEmpty() ||
        !document.getDatPath().IsEmpty() || !document.getDisplayName().IsEmpty())
        problems += " document not reset;";
    if (document.cutRegion().valid)
        problems += " cut region left valid;";
    if (FileExists(workFile(L"temp.dat")))
        problems += " DAT file left behind;";
    const CString tempWav = workFile(L"temp.in");
    if (FileExists(tempWav) && !IsCompleteWav(tempWav))
        problems += " half-written temporary WAV file left behind;";
    return problems;
}

std::string PipelineHarness::checkAfterSuccess() const
{
    std::string problems;
    if (document.isBusy())
        problems += " busy flag left up;";
    if (document.getWavPath().IsEmpty())
        problems += " no WAV path;";
    const CString tempWav = workFile(L"temp.in");
    if (document.getWavPath() == tempWav && !IsCompleteWav(tempWav))
        problems += " temporary WAV file incomplete;";
    // The DAT file holds one byte per step frames of the samples the WAV
    // reader delivers, however the builder cut them into blocks.
    try {
        CWavReader reader(document.getWavPath());
        const WAVEFORMATEX format = *reader.getFormat();
        std::vector<char> block(1 << 16);
        uint64_t available = 0;
        for (UINT count; (count = reader.read(block.data(), static_cast<int>(block.size()))) > 0;)
            available += count;
        const uint64_t frames = available / (format.nChannels * 2u);
        const uint64_t step = format.nSamplesPerSec / 100;
        const uint64_t expected = (frames + step - 1) / step;
        const uint64_t actual = ReadFileBytes(document.getDatPath()).size();
        if (actual != expected) {
            char text[120];
            snprintf(text, sizeof(text), " DAT file of %llu bytes for %llu frames (expected %llu);",
                     static_cast<unsigned long long>(actual),
                     static_cast<unsigned long long>(frames),
                     static_cast<unsigned long long>(expected));
            problems += text;
        }
    } catch (const CKestraException& e) {
        problems += " opened WAV file cannot be read again: " + Narrow(e.message()) + ";";
    }
    return problems;
}

namespace {

class FinishWait : public CWavPlayerCallBack {
public:
    FinishWait() : finished(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~FinishWait() { CloseHandle(finished); }
    void onPlayingFinished(bool failed) override
    {
        error = failed;
        SetEvent(finished);
    }
    HANDLE finished;
    std::atomic<bool> error = false;
};

} // namespace

bool PipelineHarness::playTail(const CString& wavPath, int64_t durationMs)
{
    FinishWait wait;
    CWavPlayer player(&wait);
    const int64_t start = durationMs > 60 ? durationMs - 60 : 0;
    if (!player.play(wavPath, start, durationMs + 500, &document.cutRegion()))
        return true;
    WaitForSingleObject(wait.finished, INFINITE);
    player.stop();
    return wait.error;
}

CString resourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString formatted(UINT id, const wchar_t* argument)
{
    CString text;
    text.Format(resourceText(id), argument);
    return text;
}

bool FileExists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsCompleteWav(const wchar_t* path)
{
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0)
        return false;
    uint32_t riffSize = 0;
    uint32_t dataSize = 0;
    memcpy(&riffSize, bytes.data() + 4, 4);
    memcpy(&dataSize, bytes.data() + 40, 4);
    return riffSize == bytes.size() - 8 && dataSize == bytes.size() - 44;
}
