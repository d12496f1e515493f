#pragma once

#include "Wnd.h"
#include "widgets/CaptionCfg.h"

// Kinds of skinned button.
enum XButtonKind {
    XBUTTON_PUSH = 0,
    XBUTTON_TOGGLE = 1,
    XBUTTON_TOGGLE_CAPTIONS = 2, // a caption per state
    XBUTTON_LABEL = 3,
    XBUTTON_INDICATOR = 4, // shows its on-state, ignores the mouse
};

// The skin's description of one button or label, with the button's run-time
// flags.
class CXButtonCfg : public CCaptionCfg {
public:
    // Reads the section; with an index of 0 or more every key carries it.
    // False when the section is missing or a required key is not given.
    bool load(ISkinParser& parser, const CString& section, int index, int kind);
    // Moves the window to the configured place in its parent's client area.
    bool place(CWnd* window) const;

    bool mouseOverEnabled = true;
    WORD cursorKind = 0;
    bool multiline = false;
    bool on = false;
    bool enabled = true;
    CRect clientRect;
    COLORREF colourUp = 0;
    COLORREF colourDown = 0;
    COLORREF colourMouseOver = 0;
    COLORREF colourDisabled = RGB(114, 128, 141);
    COLORREF colourOffDisabled = 0;
    COLORREF colourDownMouseOver = 0;
    COLORREF colourDownPressed = 0;
    COLORREF colourUpPressed = 0;
    // The focus ring's colour; CLR_INVALID when the skin gives none.
    COLORREF colourFocus = CLR_INVALID;
    CDynBitmap bitmapUp;
    CDynBitmap bitmapDown;
    CDynBitmap bitmapMouseOver;
    CDynBitmap bitmapDisabled;
    CDynBitmap bitmapOnUp;
    CDynBitmap bitmapOnDown;
    CDynBitmap bitmapOnMouseOver;
    CDynBitmap bitmapOnDisabled;
    bool used = true;
    bool notUsed = false;
    CString resizeBehavior;
    CString caption;
    CString captionDown;
    CFont font;
    SIZE size{10, 10};
    POINT offset{0, 0};
    POINT anchorPercent{0, 0};
    HCURSOR cursor = nullptr;
};
