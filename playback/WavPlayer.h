#pragma once

#include "playback/WavPlayerCallBack.h"
#include "playback/WaveOut.h"
#include "view/CutRegion.h"

#include "CString.h"
#include "Sync.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

// Plays a time range of a 16-bit PCM WAV file on a worker thread, with the
// cut's fades and the gain applied on the fly.
//
// Locks: the player itself (taken by play and stop) and then the state lock
// (stop flag, playing flag, output), never the other way round. The worker
// takes only the state lock, and calls onPlayingFinished while holding it, so
// the callback must not call stop.
class CWavPlayer : public CCriticalSection {
public:
    // Loads the system's wave output on a thread of its own meanwhile, so
    // the first playback waits for it less, or not at all.
    explicit CWavPlayer(CWavPlayerCallBack* callback);
    ~CWavPlayer();
    CWavPlayer(const CWavPlayer&) = delete;
    CWavPlayer& operator=(const CWavPlayer&) = delete;

    // Starts playing [startMs, endMs) of the file, stopping a running
    // playback first; the fades of cut (when valid) are applied. False when
    // the worker thread cannot be started.
    bool play(const CString& wavPath, int64_t startMs, int64_t endMs, const CCutRegion* cut);
    // Ends a running playback and returns once its worker has finished with
    // it; no onPlayingFinished follows.
    void stop();
    bool isPlaying();

    // Factor applied to every sample when above 0; takes effect on the
    // running playback.
    void setGain(double gain) { m_gain = gain; }
    double gain() const { return m_gain; }

private:
    static UINT threadMain(LPVOID self);
    // The worker's whole run: plays, then reports unless stopped.
    void work();
    // False when the playback failed; the reason is logged.
    bool playRange();
    bool stopRequested();

    CWavPlayerCallBack* m_callback;
    CString m_wavPath;
    int64_t m_start = 0;
    int64_t m_end = 0;
    CCutRegion m_cut;
    std::unique_ptr<CWaveOut> m_output;
    bool m_playing = false;
    bool m_stopRequested = false;
    CCriticalSection m_stateLock;
    std::atomic<double> m_gain = 1.0;
    std::thread m_outputLoader;
};
