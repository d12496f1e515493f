#pragma once

#include "Accessible.h"
#include "Controls.h"
#include "DC.h"
#include "Gdi.h"
#include "SkinParser.h"
#include "widgets/GenericCtrl.h"
#include "widgets/TitleTip.h"

// A single-line edit whose place, font, colours, frame and background come
// from the skin.
class CSkinEdit : public CEdit, public IGenericCtrl, private IAccessibleSource {
public:
    // What a screen reader calls the box: a string of the owner, as the
    // skin draws the box's label, if any, into a bitmap.
    void setAccessibleName(UINT nameId) { m_accessibleNameId = nameId; }

    // False when the section is missing or gives nothing but a position.
    bool LoadSkin(ISkinParser* parser, const CString& section);
    // Places the window and applies font and frame; false without a window.
    bool ApplySkin();

    bool isReady() const override { return true; }
    void showCtrl(bool show) override;
    HDWP setPositionAndSize(int x, int y, int cx, int cy, HDWP defer) override;
    HDWP setPosition(int x, int y, HDWP defer) override;
    HDWP reposition(HDWP defer, bool withSize, const CRect* parent, bool addOrigin) override;
    CPoint getPosition() const override { return m_offset; }
    CSize getSize() const override { return m_size; }

    BOOL PreTranslateMessage(MSG* msg) override;

    static constexpr UINT_PTR kTitleTipTimer = 1;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // A solid brush that follows its colour.
    struct ColourBrush {
        CBrush brush;
        COLORREF colour = CLR_INVALID;
        HBRUSH get(COLORREF wanted);
    };

    bool hasBackgroundBitmap() const;
    void calculateClientArea(RECT* rect);
    void paintFrame(CDC& dc);
    void print(HDC target, LPARAM flags);
    HBRUSH controlColour(HDC dc);
    void onMouseMove(CPoint point);
    void onTitleTipTimer();
    void describe(long child, AccessibleFacts& facts) const override;

    CFont m_font;
    CPoint m_offset;
    CPoint m_anchor;
    CSize m_size;
    COLORREF m_normalText = RGB(0, 255, 255);
    COLORREF m_normalBackground = RGB(255, 0, 0);
    COLORREF m_disabledText = RGB(0, 255, 255);
    COLORREF m_disabledBackground = RGB(0, 255, 255);
    COLORREF m_focusText = RGB(0, 255, 255);
    COLORREF m_focusBackground = RGB(0, 255, 255);
    COLORREF m_outerTopLeft = RGB(0, 255, 255);
    COLORREF m_innerTopLeft = RGB(0, 255, 255);
    COLORREF m_outerBottomRight = RGB(0, 255, 255);
    COLORREF m_innerBottomRight = RGB(0, 255, 255);
    CBrush m_clientBrush;
    CDynBitmap m_backgroundBitmap;
    bool m_useBackgroundBitmap = false;
    bool m_visible = true;
    bool m_notUsed = false;
    CString m_resizeBehavior;
    int m_leftMargin = -1;
    int m_rightMargin = -1;
    bool m_showTitleTip = false;
    CTitleTip m_titleTip;
    CPoint m_lastMouse{-1, -1};
    ColourBrush m_normalBrush;
    ColourBrush m_disabledBrush;
    ColourBrush m_focusBrush;
    UINT m_accessibleNameId = 0;
    CAccessible m_accessible{*this};
};
