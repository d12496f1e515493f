#pragma once

#include "Afx.h"
#include "support/Pixels.h"

#include <utility>

// A visible top-level window on the test display, the parent of the widget
// under test; keeps the commands its children send.
class WidgetTestWindow : public CWnd {
public:
    explicit WidgetTestWindow(SIZE size = SIZE{300, 200}, COLORREF background = RGB(0, 128, 0))
        : m_background(background)
    {
        CreateEx(WS_EX_TOPMOST, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                 CRect(CPoint(20, 20), size), nullptr, 0);
        PumpMessages();
    }

    // (control id, notification code) of every WM_COMMAND from a child.
    std::vector<std::pair<int, int>> commands;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COMMAND && lParam != 0)
            commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
            CPaintDC dc(this, PrintTarget(msg, wParam));
            CRect client;
            GetClientRect(&client);
            dc.FillSolidRect(client, m_background);
            return 0;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }

private:
    COLORREF m_background;
};
