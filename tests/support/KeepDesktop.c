/* Holds Wine's desktop open for a whole test run. Wine ends its desktop
 * process once no other program uses the desktop, and the next program that
 * makes a window starts it again, handing it that program's error output:
 * under ctest, that test's output pipe would then stay open, and the case
 * time out, until the desktop ends once more. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    MSG message;
    CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
