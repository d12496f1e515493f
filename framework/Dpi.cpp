#include "Dpi.h"

namespace {

// Functions of newer Windows versions than the component needs.
template <typename Function> Function user32Function(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

} // namespace

UINT WindowDpi(HWND window)
{
    static const auto getDpiForWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window))
            return dpi;
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

void KeepDialogLayoutOnDpiChange(HWND dialog)
{
    constexpr int disableAll = 1; // DDC_DISABLE_ALL
    if (const auto setBehavior =
            user32Function<BOOL(WINAPI*)(HWND, int, int)>("SetDialogDpiChangeBehavior"))
        setBehavior(dialog, disableAll, disableAll);
}
