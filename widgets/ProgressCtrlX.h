#pragma once

#include "Accessible.h"
#include "Controls.h"
#include "ToolTipCtrl.h"
#include "widgets/Progress.h"

// Owner-drawn progress bar: subclasses a progress control, answers the
// standard progress messages for bar 0 itself and paints all bars off-screen.
// A screen reader hears bar 0's percentage, named by the parent's caption.
class CProgressCtrlX : public CProgressCtrl, public CProgress, private IAccessibleSource {
public:
    // Timer identifiers: kStepTimer + n steps bar n, kTextTimer + n repaints
    // the timed text of bar n.
    static constexpr UINT_PTR kStepTimer = 10000;
    static constexpr UINT_PTR kTextTimer = 20000;

    BOOL PreTranslateMessage(MSG* msg) override;
    void RedrawBar(int bar) override;

    // Storage for the bitmaps a skin gives the background and bar 0.
    CDynBitmap m_backgroundBitmap;
    CDynBitmap m_barBitmap;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT packedRange() const;
    int percent() const;
    void describe(long child, AccessibleFacts& facts) const override;

    CToolTipCtrl m_toolTip;
    CAccessible m_accessible{*this};
    // The percentage last shown, so a screen reader hears of each new one.
    int m_paintedPercent = -1;
};
