#include "host/TarviskDlg.h"

#include "infra/Logger.h"
#include "res/resource.h"

CTarviskDlg::CTarviskDlg(CWnd* parent) : CDialog(IDD_TARVISK_DIALOG, parent) {}

bool CTarviskDlg::applySkin(ISkinParser&)
{
    return true;
}

void CTarviskDlg::openFile(const CString& file, const wchar_t* wavFile)
{
    LogFormat(LOG_INFO, L"open '%s' (decoded: '%s')", file.GetString(), wavFile ? wavFile : L"");
}
