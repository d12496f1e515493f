#pragma once

#include "CString.h"

#include <cstdint>
#include <vector>

// Records what the PulseAudio null sink plays: parec, a Linux program, runs
// on its monitor for at most the given seconds and writes 16-bit stereo
// 44.1 kHz frames to a raw file.
class NullSinkRecorder {
public:
    NullSinkRecorder(const CString& rawFile, int maxSeconds);

    // True once parec has delivered the given milliseconds of frames; false
    // when it does not start.
    bool waitUntilRecording(int milliseconds) const;
    // Frames recorded so far.
    size_t recordedFrames() const;
    // Waits (bounded) until the file holds at least the frames; true when it does.
    bool waitForFrames(size_t frames) const;
    // The left channel of everything recorded so far.
    std::vector<int16_t> leftChannel() const;

private:
    CString m_rawFile;
};
