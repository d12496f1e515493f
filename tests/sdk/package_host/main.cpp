// Links Tarvisk.dll through the installed import library, reaching both the
// C++ facade and the C entry, and starts the editor on the installed skin.
// Exit code 0 when it all worked.
#include "Tarvisk.h"
#include "TarviskC.h"

#include <cstdio>
#include <string>

int wmain()
{
    wchar_t bin[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"Tarvisk.dll"), bin, MAX_PATH);
    *wcsrchr(bin, L'\\') = 0;
    GetTempPathW(MAX_PATH, temp);
    const std::wstring skin = std::wstring(bin) + L"\\skin";
    const std::wstring settings =
        std::wstring(temp) + L"PackageHost" + std::to_wstring(GetCurrentProcessId()) + L".ini";

    TarviskHostSetup setup{};
    setup.size = sizeof setup;
    setup.skinFolder = skin.c_str();
    setup.settingsFile = settings.c_str();
    setup.save = [](void*, const TarviskSaveRequest*) { return 1; };
    const bool facade = CTarvisk::getInstance() != nullptr;
    const int init = tarvisk_init(&setup);
    const bool window = IsWindow(tarvisk_main_window());
    const int destroyed = tarvisk_destroy();
    DeleteFileW(settings.c_str());
    std::printf("facade %d, init %d, window %d, destroy %d\n", facade, init, window, destroyed);
    return facade && init == TARVISK_OK && window && destroyed == TARVISK_OK ? 0 : 1;
}
