#include "ToolTipCtrl.h"

#include <memory>

namespace {

thread_local std::unique_ptr<CToolTipCtrl> threadToolTip;

} // namespace

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style,
                    CRect(), parent, 0);
}

void CToolTipCtrl::DelTool(HWND tool, UINT_PTR id)
{
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = tool;
    info.uId = id;
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

CToolTipCtrl* AfxGetThreadToolTip()
{
    if (!threadToolTip) {
        auto toolTip = std::make_unique<CToolTipCtrl>();
        if (!toolTip->Create(nullptr, TTS_ALWAYSTIP))
            return nullptr;
        threadToolTip = std::move(toolTip);
    }
    return threadToolTip.get();
}
