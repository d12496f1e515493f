#pragma once

#include "playback/AudioStreamGrabber.h"

#include <windows.h>

#include <mmsystem.h>

#include <vector>

// The wave output device fed from a ring of prepared buffers. A semaphore
// counts the free buffers: grab waits on it before filling one, the device's
// callback releases it for every buffer played, and reset hands all of them
// back at once. A device that keeps its buffers longer than it takes to play
// all of them and a generous margin has stopped (its sound server went away):
// the waits then give up and the output counts as stalled. What such a device
// still holds when the output closes (buffers, the semaphore its callback
// releases) is left to it for good, since it may still write and call back.
class CWaveOut : public IAudioStreamGrabber {
public:
    CWaveOut() = default;
    ~CWaveOut() override;
    CWaveOut(const CWaveOut&) = delete;
    CWaveOut& operator=(const CWaveOut&) = delete;

    // The result of waveOutOpen; the buffers are ready when it is 0.
    MMRESULT open(const WAVEFORMATEX* format, int bufferCount, uint32_t bufferSize, UINT deviceId);
    // Queues the bytes, blocking while every buffer is queued.
    void grab(const void* data, uint32_t length) override;
    // Sends the partly filled current buffer, shortened to what it holds.
    void flush();
    // Flushes, then waits until the device has played every buffer.
    void drain();
    // The device stopped giving buffers back; nothing more is sent to it.
    bool stalled() const { return m_stalled; }
    // Stops the device and returns every queued buffer.
    void reset();

    // Loads the system's wave output (its drivers, the sound server's
    // connection) once per process, which the first open otherwise waits for.
    // Every open waits until it is done: Wine's winmm lists its devices
    // unguarded, and a second thread calling in meanwhile may hang for good.
    static void loadSystemOutput();

private:
    // One block from the process heap, the samples following the header, so
    // a buffer the device keeps is left to it whole.
    struct Buffer {
        WAVEHDR header;
        uint32_t fill;
    };

    static void CALLBACK onDeviceMessage(HWAVEOUT device, UINT message, DWORD_PTR instance,
                                         DWORD_PTR, DWORD_PTR);
    void close();
    void send();
    bool waitForBuffer();

    HANDLE m_semaphore = nullptr;
    int m_bufferCount = 0;
    int m_current = 0;
    bool m_mustWait = true;
    DWORD m_stallMs = INFINITE;
    bool m_stalled = false;
    std::vector<Buffer*> m_buffers;
    HWAVEOUT m_device = nullptr;
};
