#pragma once

#include "Rect.h"
#include "SkinParser.h"

// Alignment and margins of a skinned button's caption.
class CCaptionCfg {
public:
    int leftMargin = -1;
    int rightMargin = -1;
    int upperMargin = -1;
    int lowerMargin = -1;
    UINT horizontalAlignment = DT_LEFT;
    UINT verticalAlignment = DT_VCENTER;

    // Reads the caption keys of the selected section, each with the index
    // appended when it is 0 or more; keys not found keep their values.
    bool Load(ISkinParser* parser, int index);
    // Back to the defaults, then Load.
    bool ResetAndLoad(ISkinParser* parser, int index);
    // Moves the rectangle's edges inwards by the margins greater than 0.
    void ApplyMargins(CRect& rect) const;
};

// "" for index -1, otherwise the index in decimal.
CString SkinKeySuffix(int index);
