#pragma once

#include "Accessible.h"
#include "Controls.h"
#include "DC.h"
#include "widgets/XActionListener.h"
#include "widgets/XButtonCfg.h"

#include <vector>

// Notification codes a button sends its parent in the high word of WM_COMMAND.
constexpr WORD XBN_CLICKED = 0;
constexpr WORD XBN_PRESSED = 2;
constexpr WORD XBN_RELEASED = 3;
constexpr WORD XBN_RIGHT_PRESSED = 5;
// Sent to the button itself with the memory device context as wParam before
// the painted face reaches the screen, so an owner may draw over it.
constexpr UINT WM_XBUTTON_DRAW_EXTRA = WM_USER + 1;

// The skinned button and label: a static control painted from the bitmaps
// and colours of its skin section. A focused button shows a focus ring and
// clicks on Space and Enter; a screen reader hears its tooltip text as its
// name, its kind as its role, its state and its key.
class CXButton : public CStatic, private IAccessibleSource {
public:
    BOOL create(DWORD style, const RECT& rect, CWnd* parent, UINT id, UINT tooltipId);
    // kind: an XButtonKind. False for an unknown kind or a section that does
    // not load; the previous look then stays.
    bool load(ISkinParser& parser, const CString& section, int kind);
    void setTooltip(UINT id, UINT idOn);
    // The string naming the key that does what the button does; the tooltip
    // shows it and a screen reader reads it as the shortcut.
    void setKey(UINT keyTextId) { m_keyTextId = keyTextId; }
    // A disabled button keeps its window enabled and ignores clicks itself.
    void setEnabled(bool enabled);
    bool clearMouseOver();
    bool isOn() const { return m_cfg.on; }
    void addListener(IXActionListener* listener) { m_listeners.push_back(listener); }

    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* info) const override;

    // The longest tooltip text shown, terminator included.
    static constexpr int kTooltipCapacity = 300;

protected:
    virtual void drawExtra(CDC* dc);
    virtual CDynBitmap& bitmapDisabled() { return m_cfg.bitmapDisabled; }
    virtual CDynBitmap& bitmapDown() { return m_cfg.bitmapDown; }
    virtual CDynBitmap& bitmapMouseOver() { return m_cfg.bitmapMouseOver; }
    virtual CDynBitmap& bitmapUp() { return m_cfg.bitmapUp; }
    virtual CDynBitmap& bitmapOnDisabled() { return m_cfg.bitmapOnDisabled; }
    virtual CDynBitmap& bitmapOnDown() { return m_cfg.bitmapOnDown; }
    virtual CDynBitmap& bitmapOnMouseOver() { return m_cfg.bitmapOnMouseOver; }
    virtual CDynBitmap& bitmapOnUp() { return m_cfg.bitmapOnUp; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

    CXButtonCfg m_cfg;

private:
    struct Face {
        CDynBitmap* bitmap;
        COLORREF textColour;
    };

    bool applyConfiguration();
    Face chooseFace();
    void paint(HDC printTarget);
    void onButtonDown();
    void onButtonUp(CPoint point);
    void onSpace(bool down);
    void onEnter(LPARAM keyFlags);
    // A click from the keyboard: flips the on state as a mouse click does.
    void press();
    void flip();
    void updateTabStop();
    CString tooltipText() const;
    void describe(long child, AccessibleFacts& facts) const override;
    void onMouseMove(WPARAM flags, LPARAM position);
    void resetMouseState();
    void click();
    void notifyParent(WORD code);
    void setSkinCursor() const;
    void tellPointerLeft();

    std::vector<IXActionListener*> m_listeners; // borrowed
    int m_kind = XBUTTON_PUSH;
    bool m_mouseOver = false;
    bool m_pressed = false;
    bool m_keyPressed = false;
    UINT m_tooltipId = 0;
    UINT m_tooltipIdOn = 0;
    UINT m_keyTextId = 0;
    // A click gives the focus without the ring, as the pointer shows where
    // the user is; the next key shows it.
    bool m_focusByMouse = false;
    // Read from the skin's "anchor" and kept for owners; the button does not use it.
    int m_anchor[4] = {-1, -1, -1, -1};
    CAccessible m_accessible{*this};
};
