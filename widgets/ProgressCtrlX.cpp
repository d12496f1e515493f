#include "widgets/ProgressCtrlX.h"

#include <cwchar>

BOOL CProgressCtrlX::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.GetSafeHwnd() && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
        m_toolTip.RelayEvent(msg);
    return CProgressCtrl::PreTranslateMessage(msg);
}

void CProgressCtrlX::RedrawBar(int)
{
    if (GetSafeHwnd())
        Invalidate();
}

LRESULT CProgressCtrlX::packedRange() const
{
    int lower = 0, upper = 0;
    GetRange(lower, upper);
    return MAKELRESULT(lower, upper);
}

int CProgressCtrlX::percent() const
{
    int lower = 0, upper = 0;
    GetRange(lower, upper);
    const long long span = static_cast<long long>(upper) - lower;
    return span <= 0 ? 0
                     : static_cast<int>((static_cast<long long>(GetPos()) - lower) * 100 / span);
}

void CProgressCtrlX::describe(long, AccessibleFacts& facts) const
{
    facts.name = AfxGetWindowText(::GetParent(m_hWnd));
    facts.role = ROLE_SYSTEM_PROGRESSBAR;
    facts.state |= STATE_SYSTEM_READONLY;
    facts.value.Format(L"%d%%", percent());
}

LRESULT CProgressCtrlX::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        CPaintDC dc(this, PrintTarget(msg, wParam));
        CRect client;
        GetClientRect(&client);
        DrawProgress(&dc, client);
        // Told when painted, as the bar paints only what changed the picture.
        if (percent() != m_paintedPercent) {
            m_paintedPercent = percent();
            CAccessible::raise(m_hWnd, EVENT_OBJECT_VALUECHANGE);
        }
        return 0;
    }
    case WM_GETOBJECT:
        if (const LRESULT answer = m_accessible.answer(m_hWnd, wParam, lParam))
            return answer;
        break;
    case PBM_SETBARCOLOR: {
        const COLORREF from = static_cast<COLORREF>(lParam);
        SetGradientColors(from, wParam ? static_cast<COLORREF>(wParam) : from);
        Invalidate();
        return CLR_DEFAULT;
    }
    case PBM_SETBKCOLOR:
        SetBkColour(static_cast<COLORREF>(lParam));
        Invalidate();
        return CLR_DEFAULT;
    case PBM_GETPOS:
        return GetPos();
    case PBM_SETPOS:
        return SetPos(static_cast<int>(wParam));
    case PBM_DELTAPOS:
        return OffsetPos(static_cast<int>(wParam));
    case PBM_STEPIT:
        return StepIt();
    case PBM_SETSTEP:
        return SetStep(static_cast<int>(wParam));
    case PBM_GETRANGE: {
        int lower = 0, upper = 0;
        GetRange(lower, upper);
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam))
            *range = PBRANGE{lower, upper};
        return wParam ? lower : upper;
    }
    case PBM_SETRANGE: {
        const LRESULT previous = packedRange();
        SetRange(LOWORD(lParam), HIWORD(lParam));
        Invalidate();
        return previous;
    }
    case PBM_SETRANGE32: {
        const LRESULT previous = packedRange();
        SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
        Invalidate();
        return previous;
    }
    case WM_SETTEXT:
        SetBarText(0, lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"");
        Invalidate();
        return TRUE;
    case WM_GETTEXT: {
        const CString text = GetBarText(0);
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        const size_t copied = std::min<size_t>(wParam - 1, static_cast<size_t>(text.GetLength()));
        std::wmemcpy(buffer, text.GetString(), copied);
        buffer[copied] = L'\0';
        return static_cast<LRESULT>(copied);
    }
    case WM_GETTEXTLENGTH:
        return GetBarText(0).GetLength();
    case WM_SETFONT:
        SetBarFont(0, reinterpret_cast<HFONT>(wParam));
        if (LOWORD(lParam))
            Invalidate();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetBarFont(0));
    case WM_TIMER:
        if (wParam >= kStepTimer && wParam < kTextTimer)
            StepIt(static_cast<int>(wParam - kStepTimer));
        if (wParam >= kStepTimer)
            Invalidate();
        break;
    }
    return CProgressCtrl::WindowProc(msg, wParam, lParam);
}
