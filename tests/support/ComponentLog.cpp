#include "support/ComponentLog.h"

#include "support/TempDir.h"

std::wstring ComponentLogText(const CString& dataRoot)
{
    CString pattern;
    pattern.Format(L"%s\\Log\\Melvora\\Log_*_%X.txt", dataRoot.GetString(), GetCurrentProcessId());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    FindClose(search);
    return ReadUtf16File(dataRoot + L"\\Log\\Melvora\\" + found.cFileName);
}
