#pragma once

#include "DC.h"

#include <vector>

// One colour stop of a gradient, at a position from 0 (start) to 1 (end).
struct CGradElement {
    COLORREF colour;
    double position;
};

// Directions of a gradient: from the first stop at the left, right, top or
// bottom edge.
enum GradientDirection {
    GRADIENT_LEFT_TO_RIGHT = 0,
    GRADIENT_RIGHT_TO_LEFT = 1,
    GRADIENT_TOP_TO_BOTTOM = 2,
    GRADIENT_BOTTOM_TO_TOP = 3,
};

// A list of colour stops and the painting of them.
class CGradient {
public:
    CGradient() = default;
    virtual ~CGradient() = default;

    // Paints the part "painted" of a gradient laid over "area".
    virtual void DrawGradient(CDC* dc, const CRect& area, const CRect& painted,
                              GradientDirection direction) const;
    // Two stops: from one colour to the other.
    virtual void SetGradientColors(COLORREF from, COLORREF to);
    // The colour at a position from 0 to 1 between the stops.
    virtual COLORREF GetColorAt(double position) const;

protected:
    std::vector<CGradElement> m_stops;
};
