#include "support/ComponentLog.h"

#include "support/TempDir.h"

#include <shlobj.h>

CString EditionDataRoot(const CString& edition)
{
    wchar_t local[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    return CString(local) + L"\\Verlanis\\Sorvenne_" + edition;
}

std::wstring ComponentLogText(const CString& dataRoot)
{
    CString pattern;
    pattern.Format(L"%s\\Log\\Melvora\\Log_*_%X.txt", dataRoot.GetString(), GetCurrentProcessId());
    const std::vector<CString> names = FileNames(pattern);
    return names.empty() ? std::wstring()
                         : ReadUtf16File(dataRoot + L"\\Log\\Melvora\\" + names[0]);
}
