#pragma once

#include "playback/WavPlayerCallBack.h"
#include "view/CutRegion.h"

#include "support/AudioFixtures.h"

#include <atomic>

constexpr int kRate = 44100;

// A valid cut with the given fades.
inline CCutRegion cutOf(int64_t begin, int64_t end, int32_t fadeIn, int32_t fadeOut)
{
    return CCutRegion{true, begin, end, fadeIn, fadeOut};
}

// A 16-bit stereo 44.1 kHz WAV file of a 441 Hz square wave: every sample
// has the full magnitude, so a recorded magnitude is the factor the player applied.
// Returns the path.
inline CString writeSquareWav(const wchar_t* path, int milliseconds, int amplitude)
{
    std::vector<int16_t> samples;
    for (int64_t frame = 0; frame < int64_t{milliseconds} * kRate / 1000; ++frame)
        samples.insert(samples.end(), 2,
                       static_cast<int16_t>(frame / 50 % 2 ? -amplitude : amplitude));
    return WriteFileBytes(path, MakeWavBytes(WAVE_FORMAT_PCM, 2, kRate, 16, Pcm16(samples)));
}

// Counts the end notifications of a player and lets a test wait for one.
// It can hold the player's thread inside the notification, so that a stop
// lands there, and counts the notifications that come once a stop returned.
class FinishProbe : public CWavPlayerCallBack {
public:
    FinishProbe() : m_finished(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~FinishProbe() { CloseHandle(m_finished); }
    FinishProbe(const FinishProbe&) = delete;
    FinishProbe& operator=(const FinishProbe&) = delete;

    void onPlayingFinished(bool error) override
    {
        lastError = error;
        errors += error;
        late += stopped;
        ++calls;
        SetEvent(m_finished);
        Sleep(holdMilliseconds);
    }
    // False when no notification came within the bound: the player hangs.
    bool waitForFinish() { return WaitForSingleObject(m_finished, 60000) == WAIT_OBJECT_0; }
    // Forgets a notification nobody waited for.
    void forget() { ResetEvent(m_finished); }

    std::atomic<int> calls{0};
    std::atomic<bool> lastError{false};
    std::atomic<int> errors{0};
    std::atomic<int> late{0};
    std::atomic<bool> stopped{false};
    std::atomic<DWORD> holdMilliseconds{0};

private:
    HANDLE m_finished;
};
