#include "infra/SystemInfo.h"

#include "infra/Paths.h"

#include <vector>

namespace {

CString executablePath()
{
    wchar_t path[520] = {};
    GetModuleFileNameW(nullptr, path, 520);
    return path;
}

std::vector<BYTE> versionResource(const CString& path)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetFileVersionInfoW(path, 0, size, data.data()))
        data.clear();
    return data;
}

// The version resource is a tree of blocks, each: length, value length, type,
// a key, padding to 32 bits, the value, then its children.
struct VersionBlock {
    WORD length;
    WORD valueLength;
    WORD type;
    wchar_t key[1];
};

const BYTE* align32(const BYTE* base, const BYTE* p)
{
    return base + ((p - base + 3) & ~3);
}

template <typename Visit>
void forEachChild(const BYTE* base, const BYTE* block, Visit visit)
{
    auto* header = reinterpret_cast<const VersionBlock*>(block);
    const BYTE* end = block + header->length;
    const BYTE* p = reinterpret_cast<const BYTE*>(header->key + wcslen(header->key) + 1);
    p = align32(base, p);
    p += header->type == 1 ? header->valueLength * sizeof(wchar_t) : header->valueLength;
    p = align32(base, p);
    while (p + sizeof(VersionBlock) <= end) {
        auto* child = reinterpret_cast<const VersionBlock*>(p);
        if (child->length == 0 || p + child->length > end)
            break;
        visit(p);
        p = align32(base, p + child->length);
    }
}

const wchar_t* blockValue(const BYTE* base, const BYTE* block)
{
    auto* header = reinterpret_cast<const VersionBlock*>(block);
    const BYTE* p = reinterpret_cast<const BYTE*>(header->key + wcslen(header->key) + 1);
    return reinterpret_cast<const wchar_t*>(align32(base, p));
}

} // namespace

CString FormatOSVersion(const OSVersion& v)
{
    static const struct {
        DWORD platform;
        int major; // -1: any
        int minor; // -1: any
        const wchar_t* name;
    } names[] = {
        {VER_PLATFORM_WIN32_WINDOWS, -1, 0, L"Windows 95"},
        {VER_PLATFORM_WIN32_WINDOWS, -1, 10, L"Windows 98"},
        {VER_PLATFORM_WIN32_WINDOWS, -1, 90, L"Windows Millennium"},
        {VER_PLATFORM_WIN32_NT, 3, -1, L"Windows NT 3.51"},
        {VER_PLATFORM_WIN32_NT, 4, -1, L"Windows NT 4.0"},
        {VER_PLATFORM_WIN32_NT, 5, 0, L"Windows 2000"},
        {VER_PLATFORM_WIN32_NT, 5, 1, L"Windows XP"},
        {VER_PLATFORM_WIN32_NT, 5, 2, L"Windows Server 2003"},
        {VER_PLATFORM_WIN32_NT, 6, 0, L"Windows Vista"},
        {VER_PLATFORM_WIN32_NT, 6, 1, L"Windows 7"},
    };
    CString text;
    for (const auto& entry : names) {
        if (entry.platform == v.platformId &&
            (entry.major < 0 || static_cast<DWORD>(entry.major) == v.major) &&
            (entry.minor < 0 || static_cast<DWORD>(entry.minor) == v.minor)) {
            text = entry.name;
            break;
        }
    }
    if (text.IsEmpty())
        text.Format(L"Windows %d.%d", static_cast<int>(v.major), static_cast<int>(v.minor));
    if (!v.servicePack.IsEmpty())
        text += L", " + v.servicePack;
    text.AppendFormat(L", build %d", static_cast<int>(v.build));
    return text;
}

CString GetOSVersionString()
{
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
    return FormatOSVersion({info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                            info.dwBuildNumber, info.szCSDVersion});
}

CString GetUserLoginName()
{
    wchar_t name[1024] = {};
    DWORD size = 1024;
    if (!GetUserNameW(name, &size))
        return L"unknown user login name";
    return name;
}

CString GetComputerNameString()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size))
        return CString();
    return name;
}

CString GetHostVersion()
{
    const std::vector<BYTE> data = versionResource(executablePath());
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (data.empty() ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size) || !info)
        return CString();
    CString text;
    text.Format(L"%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return text;
}

CString GetHostProductName()
{
    const CString path = executablePath();
    const std::vector<BYTE> data = versionResource(path);
    CString product;
    if (!data.empty()) {
        const BYTE* base = data.data();
        forEachChild(base, base, [&](const BYTE* block) {
            if (wcscmp(reinterpret_cast<const VersionBlock*>(block)->key, L"StringFileInfo") != 0)
                return;
            forEachChild(base, block, [&](const BYTE* table) {
                forEachChild(base, table, [&](const BYTE* entry) {
                    auto* header = reinterpret_cast<const VersionBlock*>(entry);
                    if (wcscmp(header->key, L"ProductName") == 0 && header->valueLength > 0)
                        product = blockValue(base, entry);
                });
            });
        });
    }
    return product.IsEmpty() ? GetFileTitle(path) : product;
}
