#pragma once

#include <cstdint>

// A sink of PCM bytes.
class IAudioStreamGrabber {
public:
    virtual ~IAudioStreamGrabber() = default;
    virtual void grab(const void* data, uint32_t length) = 0;
};
