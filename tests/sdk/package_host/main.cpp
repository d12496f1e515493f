// PackageHost.exe VERSION INSTALLED-BIN-FOLDER: links Tarvisk.dll through the
// installed import library, reaching both the C++ facade and the C entry, and
// starts the editor on the installed skin; the DLLs it loads (copied beside it)
// and the installed host report VERSION. Exit code 0 when it all worked.
#include "Tarvisk.h"
#include "TarviskC.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// "a.b.c.d" of a binary's version resource, as the system reads it.
std::wstring fileVersion(const std::wstring& path)
{
    std::wstring data(GetFileVersionInfoSizeW(path.c_str(), nullptr), L'\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, data.size(), data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size))
        return {};
    wchar_t text[32];
    swprintf(text, 32, L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
             HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return text;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    const std::wstring bin = argv[2];
    bool versions = fileVersion(bin + L"\\TarviskHost.exe") == argv[1];
    for (const wchar_t* module : {L"Tarvisk.dll", L"AxisU.dll"}) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(GetModuleHandleW(module), path, MAX_PATH);
        const std::wstring version = fileVersion(path);
        std::printf("%ls %ls\n", path, version.c_str());
        versions = versions && version == argv[1];
    }
    const std::wstring skin = bin + L"\\skins\\default";
    const std::wstring settings = bin + L"\\PackageHost.ini";

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
    return versions && facade && init == TARVISK_OK && window && destroyed == TARVISK_OK ? 0 : 1;
}
