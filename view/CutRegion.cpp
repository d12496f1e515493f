#include "view/CutRegion.h"

void CCutRegion::setBegin(int64_t t)
{
    begin = t;
    normalizeFades(Keep::FadeOut);
}

void CCutRegion::setEnd(int64_t t)
{
    end = t;
    normalizeFades(Keep::FadeIn);
}

void CCutRegion::setFadeIn(int64_t length)
{
    fadeIn = static_cast<int32_t>(length);
    normalizeFades(Keep::FadeIn);
}

void CCutRegion::setFadeOut(int64_t length)
{
    fadeOut = static_cast<int32_t>(length);
    normalizeFades(Keep::FadeOut);
}

bool CCutRegion::validate()
{
    const int64_t length = end - begin;
    valid = begin >= 0 && end >= 0 && begin < end && length >= minCutLength &&
            length <= maxCutLength;
    if (valid)
        normalizeFades(Keep::FadeIn);
    else
        reset();
    return valid;
}

void CCutRegion::normalizeFades(Keep keep)
{
    const auto span = static_cast<int32_t>(end - begin);
    if (fadeInEnd() < begin)
        fadeIn = 0;
    else if (fadeInEnd() > end)
        fadeIn = span;
    if (fadeOutStart() < begin)
        fadeOut = span;
    else if (fadeOutStart() > end)
        fadeOut = 0;
    if (fadeInEnd() > fadeOutStart()) {
        if (keep == Keep::FadeIn)
            fadeOut = span - fadeIn;
        else
            fadeIn = span - fadeOut;
    }
}
