#pragma once

#include "CString.h"
#include "support/TempDir.h"

#include <shlobj.h>

#include <string>

// The component's data folder of an edition, below the local application data.
inline CString EditionDataRoot(const CString& edition)
{
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return CString(local) + L"\\Verlanis\\Sorvenne_" + edition;
}

// The text of this process's log file under the component's data folder of
// an edition; empty when there is none.
inline std::wstring ComponentLogText(const CString& dataRoot)
{
    CString pattern;
    pattern.Format(L"%s\\Log\\Melvora\\Log_*_%X.txt", dataRoot.GetString(), GetCurrentProcessId());
    const std::vector<CString> names = FileNames(pattern);
    return names.empty() ? std::wstring()
                         : ReadUtf16File(dataRoot + L"\\Log\\Melvora\\" + names[0]);
}
