#pragma once

#include "Wnd.h"

class CSelFont;

// A borderless pop-up that shows a control's full text over the control and
// gets out of the way as soon as the user moves away, clicks or types.
class CTitleTip : public CWnd {
public:
    // Registers the window class on first use; throws CResourceException when
    // that fails.
    CTitleTip();

    BOOL Create(CWnd* parent);
    // item: the control's rectangle in the parent's client coordinates.
    // maxCharacters: width limit in average characters, -1 for none. hover:
    // where the pointer may move without closing the tip (item when null).
    void Show(const CRect& item, const CString& text, int textOffset = 0, int maxCharacters = -1,
              const CRect* hover = nullptr, const LOGFONTW* font = nullptr);
    void Hide();
    // Keys and clicks while the tip is shown hide it and go on to the window
    // they were meant for.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void selectFont(CSelFont& font) const;
    void onMouseMove(WPARAM flags, CPoint point);
    // The window under a screen point, the parent when that is the tip.
    HWND windowUnder(POINT screen) const;

    CWnd* m_parent = nullptr;
    CRect m_hoverRect;
    CString m_text;
    bool m_withFont = false;
    LOGFONTW m_font{};
};
