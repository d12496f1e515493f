#pragma once

#include <cstdint>

// A cut with fades, in milliseconds of the decoded stream. Every setter
// keeps the fades inside the cut and apart from each other.
class CCutRegion {
public:
    static constexpr int64_t minCutLength = 1000;
    static constexpr int64_t maxCutLength = 2147483647;

    bool valid = false;
    int64_t begin = 0;
    int64_t end = 0;
    int32_t fadeIn = 0;
    int32_t fadeOut = 0;

    int64_t fadeInEnd() const { return begin + fadeIn; }
    int64_t fadeOutStart() const { return end - fadeOut; }

    void reset() { *this = CCutRegion(); }
    void setBegin(int64_t t);
    void setEnd(int64_t t);
    void setFadeIn(int64_t length);
    void setFadeInEnd(int64_t t) { setFadeIn(t - begin); }
    void setFadeOut(int64_t length);
    void setFadeOutStart(int64_t t) { setFadeOut(end - t); }
    void clearFades() { fadeIn = fadeOut = 0; }
    bool validate();
    bool contains(int64_t t) const { return valid && begin <= t && t < end; }

    enum class Keep { FadeIn, FadeOut };
    void normalizeFades(Keep keep);

    friend bool operator==(const CCutRegion&, const CCutRegion&) = default;
};
