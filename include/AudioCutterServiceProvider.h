#pragma once

#include <cstdint>
#include <string>

namespace Tarvisk {

// Implemented by the host: writes the cut of the input file. The component
// only calls it; the strings live for the duration of the call.
class IAudioCutterServiceProvider {
public:
    virtual bool saveCut(const std::wstring& inputFile, const std::wstring& trackName,
                         int64_t cutBegin, int64_t cutEnd, int32_t fadeIn, int32_t fadeOut) = 0;

protected:
    ~IAudioCutterServiceProvider() = default;
};

} // namespace Tarvisk
