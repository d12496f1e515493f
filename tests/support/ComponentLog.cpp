#include "support/ComponentLog.h"

#include "support/TempDir.h"

std::wstring ComponentLogText(const CString& dataRoot)
{
    CString pattern;
    pattern.Format(L"%s\\Log\\Melvora\\Log_*_%X.txt", dataRoot.GetString(), GetCurrentProcessId());
    const std::vector<CString> names = FileNames(pattern);
    return names.empty() ? std::wstring()
                         : ReadUtf16File(dataRoot + L"\\Log\\Melvora\\" + names[0]);
}
