#include "infra/ErrorBox.h"

#include "WinApp.h"
#include "Wnd.h"
#include "infra/Logger.h"
#include "infra/SystemInfo.h"
#include "infra/TraceChannel.h"

namespace {

int showBox(const CString& text, HWND owner, UINT icon)
{
    if (!owner) {
        CWinApp* app = AfxGetApp();
        owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    }
    return MessageBoxW(owner, text, GetHostProductName(), MB_OK | icon);
}

} // namespace

int ErrorBox(const CString& text, HWND owner)
{
    TraceFormat(LOG_ERROR, L"%s", text.GetString());
    return showBox(text, owner, MB_ICONERROR);
}

int ErrorBoxRes(HWND owner, UINT id, ...)
{
    CString format;
    format.LoadString(id);
    va_list args;
    va_start(args, id);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    return ErrorBox(text, owner);
}

int MessageBoxPlain(const CString& text, HWND owner)
{
    TraceFormat(LOG_DEBUG, L"%s", text.GetString());
    return showBox(text, owner, 0);
}
