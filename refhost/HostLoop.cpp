#include "refhost/HostLoop.h"

void RunHostMessageLoop(CTarviskLibrary& tarvisk, CSkinSwitcher& skins)
{
    // The editor hides itself when the user closes it; a timer looks.
    const UINT_PTR watch = SetTimer(nullptr, 0, 250, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == watch &&
            !IsWindowVisible(tarvisk.getMainWindow()))
            break;
        if (skins.handleMessage(msg, tarvisk) || tarvisk.PreTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, watch);
}
