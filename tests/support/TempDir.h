#pragma once

#include "CString.h"

#include <shellapi.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

// Deletes a folder with everything in it.
inline void RemoveTree(const CString& folder)
{
    // SHFileOperation wants a double-terminated list.
    std::wstring from = folder.str();
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

// A fresh folder in the system temporary folder, removed with all it holds.
class TempDir {
public:
    TempDir()
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static LONG counter = 0;
        m_path.Format(L"%stvsk_%X_%X_%X", base, GetCurrentProcessId(), GetTickCount(),
                      InterlockedIncrement(&counter));
        CreateDirectoryW(m_path, nullptr);
    }
    ~TempDir() { RemoveTree(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing backslash.
    const CString& path() const { return m_path; }
    CString file(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

// Whole file as bytes; empty when it cannot be read.
inline std::string ReadFileBytes(const wchar_t* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A UTF-16 file with byte-order mark as text (without the mark).
inline std::wstring ReadUtf16File(const wchar_t* path)
{
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 2)
        return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

// Returns the path.
inline CString WriteFileBytes(const wchar_t* path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline bool IsFolder(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names of the entries a wildcard pattern matches, "." and ".." left out, in name order.
inline std::vector<CString> FileNames(const CString& pattern)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The folder of the running test executable, without a trailing backslash.
inline CString ExecutableFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const CString file = path;
    return file.Left(file.ReverseFind(L'\\'));
}
