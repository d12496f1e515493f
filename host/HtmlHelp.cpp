#include "host/HtmlHelp.h"

#include <windows.h>

#include <string>

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);

constexpr UINT kDisplayTopic = 0; // HH_DISPLAY_TOPIC
constexpr UINT kCloseAll = 0x12;  // HH_CLOSE_ALL
constexpr int kHtmlHelpOrdinal = 15;

// The registered path of the HTML Help control, else its plain name.
std::wstring helpLibraryPath()
{
    HKEY key = nullptr;
    std::wstring path;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        wchar_t value[MAX_PATH] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        DWORD type = 0;
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS) {
            if (type == REG_EXPAND_SZ) {
                wchar_t expanded[MAX_PATH] = {};
                if (ExpandEnvironmentStringsW(value, expanded, MAX_PATH))
                    path = expanded;
            } else if (type == REG_SZ) {
                path = value;
            }
        }
        RegCloseKey(key);
    }
    return path.empty() ? L"hhctrl.ocx" : path;
}

bool helpOpened = false;

HtmlHelpFunction htmlHelp()
{
    static const HtmlHelpFunction function = []() -> HtmlHelpFunction {
        HMODULE library = LoadLibraryW(helpLibraryPath().c_str());
        if (!library)
            return nullptr;
        return reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(
            GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
    }();
    return function;
}

} // namespace

bool OpenHtmlHelp(const wchar_t* link)
{
    HtmlHelpFunction function = htmlHelp();
    if (!function) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    helpOpened = function(nullptr, link, kDisplayTopic, 0) != nullptr;
    return helpOpened;
}

void CloseHtmlHelp()
{
    if (helpOpened)
        htmlHelp()(nullptr, nullptr, kCloseAll, 0);
    helpOpened = false;
}
