#pragma once

#include <windows.h>

// The skins and every length in the code are drawn for 96 DPI (100 %).
constexpr UINT kDesignDpi = USER_DEFAULT_SCREEN_DPI;

// The DPI a window is shown at: GetDpiForWindow where the system has it,
// else the system DPI. Hosts that declare no awareness get 96 from Windows,
// which then stretches their windows itself.
UINT WindowDpi(HWND window);

// Under per-monitor awareness the system lays a dialog made from a template
// out again when its scale changes; a skinned dialog is laid out by its skin
// instead.
void KeepDialogLayoutOnDpiChange(HWND dialog);

// A length of the design scale at that DPI, rounded to the nearest pixel.
inline int ScaledToDpi(int designPixels, UINT dpi)
{
    return MulDiv(designPixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}
