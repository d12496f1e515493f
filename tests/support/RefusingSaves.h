#pragma once

#include "TarviskLoader.h"

// The host's service for a run that never saves: every saveCut is refused.
class RefusingSaves : public Tarvisk::IAudioCutterServiceProvider {
public:
    bool saveCut(const std::wstring&, const std::wstring&, int64_t, int64_t, int32_t,
                 int32_t) override
    {
        return false;
    }
};
