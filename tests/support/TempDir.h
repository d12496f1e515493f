#pragma once

#include "CString.h"

#include <vector>

// A fresh folder in the system temporary folder, removed with all it holds.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing backslash.
    const CString& path() const { return m_path; }
    CString file(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

// Deletes a folder with everything in it.
void RemoveTree(const CString& folder);
// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const wchar_t* path);
// A UTF-16 file with byte-order mark as text (without the mark).
std::wstring ReadUtf16File(const wchar_t* path);
void WriteFileBytes(const wchar_t* path, const std::string& bytes);
bool IsFolder(const wchar_t* path);
// Names of the entries a wildcard pattern matches, "." and ".." left out, in name order.
std::vector<CString> FileNames(const CString& pattern);
// The folder of the running test executable, without a trailing backslash.
CString ExecutableFolder();
