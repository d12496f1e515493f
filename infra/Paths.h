#pragma once

#include "CString.h"

void AddTrailingBackslash(CString& text);
// Joins with exactly one backslash at the seam; a null part counts as one
// without a leading backslash.
void AppendPathPart(CString& folder, const wchar_t* part);
CString BuildPath(const wchar_t* folder, const wchar_t* name, const wchar_t* extension);

struct PathParts {
    CString drive;
    CString folder; // with its trailing backslash
    CString name;
    CString extension; // with its dot
};
PathParts SplitPath(const wchar_t* path);
CString GetFileTitle(const wchar_t* path);

// Creates one level only; false when something else is in the way or the
// parent is missing.
bool AssureDirExists(const wchar_t* folder);
// Creates the folder and every missing parent. A file in the way sets last error 80.
bool CreateDirectoryTree(const wchar_t* folder, SECURITY_ATTRIBUTES* security);
// True if the path exists (file or folder); otherwise creates the folder tree.
bool EnsureFolder(const wchar_t* folder);

// The system temporary folder, else "C:\temp"; kept for the process.
CString GetDefaultTempMusicDir();
// Folder of the host executable with a trailing backslash; kept for the process.
CString GetModuleDirectory();
CString GetLocalAppDataDir();
// Common application data joined with "Verlanis\Melvora": the work folder when none was set.
CString GetSharedDataFolder();
CString GetAppDataRoot();
CString GetLogRoot();
CString GetLogFolder();
CString GetDefaultOutputFolder();
CString GetDefaultImportExportFolder();
