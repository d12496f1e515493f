#include "infra/Paths.h"

#include "infra/Logger.h"
#include "infra/Settings.h"
#include "infra/TraceChannel.h"

#include <shlobj.h>

#include <cstdlib>

namespace {

CString knownFolder(int csidl, bool create)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr,
                                SHGFP_TYPE_CURRENT, path)))
        return CString();
    return path;
}

CString executableFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const PathParts parts = SplitPath(path);
    return parts.drive + parts.folder;
}

CString hostExecutableFolder()
{
    static const CString folder = executableFolder();
    return folder;
}

bool isPortable()
{
    IConfigStore* store = GetConfigStore();
    return store && store->IsPortable();
}

} // namespace

void AddTrailingBackslash(CString& text)
{
    if (!text.IsEmpty() && text[text.GetLength() - 1] != L'\\')
        text += L'\\';
}

void AppendPathPart(CString& folder, const wchar_t* part)
{
    const bool folderEnds = !folder.IsEmpty() && folder[folder.GetLength() - 1] == L'\\';
    const bool partStarts = part && part[0] == L'\\';
    if (folderEnds && partStarts) {
        folder += part + 1;
    } else if (!folderEnds && !partStarts) {
        AddTrailingBackslash(folder);
        folder += part;
    } else {
        folder += part;
    }
}

CString BuildPath(const wchar_t* folder, const wchar_t* name, const wchar_t* extension)
{
    CString path;
    if (folder) {
        path = folder;
        AppendPathPart(path, name);
    } else {
        path = name;
    }
    if (extension) {
        path += L'.';
        path += extension;
    }
    return path;
}

PathParts SplitPath(const wchar_t* path)
{
    wchar_t drive[3] = {}, folder[256] = {}, name[256] = {}, extension[256] = {};
    _wsplitpath_s(path, drive, 3, folder, 256, name, 256, extension, 256);
    return {drive, folder, name, extension};
}

CString GetFileTitle(const wchar_t* path)
{
    return SplitPath(path).name;
}

bool AssureDirExists(const wchar_t* folder)
{
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        TraceFormat(LOG_ERROR, L"AssureDirExists: '%s' exists but is not a folder", folder);
        return false;
    }
    if (CreateDirectoryW(folder, nullptr))
        return true;
    TraceFormat(LOG_ERROR, L"AssureDirExists: Error creating dir '%s'", folder);
    return false;
}

bool CreateDirectoryTree(const wchar_t* folder, SECURITY_ATTRIBUTES* security)
{
    CString path = folder;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    if (!path.IsEmpty() && path[path.GetLength() - 1] == L'\\')
        path = path.Left(path.GetLength() - 1);
    attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        SetLastError(ERROR_FILE_EXISTS);
        return false;
    }
    const int slash = path.ReverseFind(L'\\');
    if (slash >= 1 && !CreateDirectoryTree(path.Left(slash), security))
        return false;
    return CreateDirectoryW(path, security) != FALSE;
}

bool EnsureFolder(const wchar_t* folder)
{
    if (GetFileAttributesW(folder) != INVALID_FILE_ATTRIBUTES)
        return true;
    return CreateDirectoryTree(folder, nullptr);
}

CString GetDefaultTempMusicDir()
{
    static const CString folder = [] {
        wchar_t path[MAX_PATH] = {};
        if (GetTempPathW(MAX_PATH, path) == 0) {
            TraceFormat(LOG_ERROR, L"GetDefaultTempMusicDir : GetTempPath failed. Error %s",
                        LastErrorText().GetString());
            return CString(L"C:\\temp");
        }
        return CString(path);
    }();
    return folder;
}

CString GetModuleDirectory()
{
    static const CString folder = executableFolder();
    return folder;
}

CString GetLocalAppDataDir()
{
    CString folder = knownFolder(CSIDL_LOCAL_APPDATA, false);
    AddTrailingBackslash(folder);
    return folder;
}

CString GetSharedDataFolder()
{
    CString folder = knownFolder(CSIDL_COMMON_APPDATA, false);
    AppendPathPart(folder, L"Verlanis\\Melvora");
    EnsureFolder(folder);
    return folder;
}

CString GetAppDataRoot()
{
    CString root = isPortable() ? GetModuleDirectory() + L"LocalAppDataFolder\\" : GetLocalAppDataDir();
    IHostInfo* host = GetHostInfo();
    root += L"Verlanis\\Sorvenne_";
    if (host)
        root += host->GetEdition();
    root += L"\\";
    return EnsureFolder(root) ? root : CString();
}

CString GetLogRoot()
{
    CString root = isPortable() ? GetTempFolder() : GetAppDataRoot();
    // Without a data root the logs would land at the root of the drive.
    if (root.IsEmpty())
        return root;
    if (root[root.GetLength() - 1] != L'\\' && root[root.GetLength() - 1] != L'/')
        root += L"\\";
    root += L"Log\\";
    return EnsureFolder(root) ? root : CString();
}

CString GetLogFolder()
{
    CString folder = GetLogRoot();
    if (folder.IsEmpty())
        folder = BuildPath(GetDefaultTempMusicDir(), L"Log", nullptr);
    AppendPathPart(folder, L"Melvora");
    EnsureFolder(folder);
    return folder;
}

CString GetDefaultOutputFolder()
{
    CString folder = knownFolder(CSIDL_MYMUSIC, true);
    if (folder.IsEmpty())
        folder = hostExecutableFolder();
    AddTrailingBackslash(folder);
    return folder;
}

CString GetDefaultImportExportFolder()
{
    static const CString folder = GetDefaultOutputFolder();
    return folder;
}
