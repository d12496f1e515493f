#pragma once

#include "widgets/Gradient.h"

#include <memory>
#include <vector>

// Bar style flags.
constexpr DWORD PBS_BAR_VERTICAL = 0x4;
constexpr DWORD PBS_TEXT_LEFT = 0x10;
constexpr DWORD PBS_TEXT_RIGHT = 0x20;
constexpr DWORD PBS_TEXT_TOP = 0x40;
constexpr DWORD PBS_TEXT_BOTTOM = 0x80;
constexpr DWORD PBS_TEXT_PERCENT = 0x100;
constexpr DWORD PBS_TEXT_POSITION = 0x200;
constexpr DWORD PBS_TEXT_ELAPSED = 0x400;
constexpr DWORD PBS_TEXT_REMAINING = 0x500;
constexpr DWORD PBS_TEXT_MODE_MASK = 0x700;
constexpr DWORD PBS_TEXT_INSIDE_BAR = 0x1000;
constexpr DWORD PBS_GRADIENT_STRETCHED = 0x2000;
constexpr DWORD PBS_REVERSE = 0x4000;
constexpr DWORD PBS_SNAKE = 0x8000;
constexpr DWORD PBS_DEFAULT_STYLE = PBS_TEXT_LEFT | PBS_TEXT_RIGHT | PBS_TEXT_TOP | PBS_TEXT_BOTTOM;

// One bar of a progress control.
struct CBarInfo {
    CDynBitmap* bitmap = nullptr; // borrowed from the control
    int bitmapWidth = 0;
    int bitmapHeight = 0;
    std::unique_ptr<CBrush> brush;
    COLORREF textColourFilled = ::GetSysColor(COLOR_CAPTIONTEXT);
    COLORREF textColourEmpty = ::GetSysColor(COLOR_BTNTEXT);
    int tail = 0;
    int snakeLength = 40;
    int step = 10;
    int lower = 0;
    int upper = 100;
    // Placement inside the bar rectangle; a width or height of 0, or one that
    // would pass the edge, reaches the edge.
    int placeX = 0;
    int placeY = 0;
    int placeWidth = 0;
    int placeHeight = 0;
    int position = 0;
    HFONT font = nullptr; // borrowed
    bool shown = false;
    CString text;
    DWORD style = PBS_DEFAULT_STYLE;
    CRect barRect;
    CRect outerRect;
    CRect filledRect;
    // What the last paint showed: the loops report every block, far more
    // often than the bar can move, and a change that shows nothing new
    // costs no repaint. The text is known by its value; a change of text,
    // format or style forgets the painting.
    bool painted = false;
    bool repaintDue = false;
    long long paintedTextValue = 0;
};

// The bars of an owner-drawn progress control and their painting.
class CProgress : public CGradient {
public:
    CProgress();
    ~CProgress() override;

    virtual DWORD GetBarStyle(int bar) const;
    virtual void ModifyBarStyle(DWORD remove, DWORD add, int bar);
    // One step of snake mode: the head moves on, the tail follows at the
    // snake length and the direction turns at either end.
    virtual void StepSnake(int bar);
    // An override whose text depends on more than the text value also
    // overrides NeedsRedraw.
    virtual CString FormatBarText(int bar) const;
    virtual double GetBarTextValue(int bar) const;
    virtual bool NeedsRedraw(int bar) const;
    virtual void RedrawBar(int bar) = 0;

    void SetBarBrush(int bar, COLORREF colour);
    void SetBarBitmap(int bar, CDynBitmap* bitmap);
    void SetBkBitmap(CDynBitmap* bitmap) { m_backgroundBitmap = bitmap; }
    void SetBkColour(COLORREF colour) { m_backgroundColour = colour; }
    void SetBorders(const CRect& margins) { m_margins = margins; }
    void SetTextColours(int bar, COLORREF filled, COLORREF empty);
    // With a format and a non-zero mode the bar shows the formatted value;
    // otherwise it shows no value text.
    void SetTextFormat(const wchar_t* format, DWORD mode, int bar = 0);
    void SetBarText(int bar, const CString& text);
    CString GetBarText(int bar) const;
    void SetBarFont(int bar, HFONT font);
    HFONT GetBarFont(int bar) const;

    void SetRange(int a, int b, int bar = 0);
    bool GetRange(int& lower, int& upper, int bar = 0) const;
    int SetPos(int value, int bar = 0);
    int GetPos(int bar = 0) const;
    int OffsetPos(int increment, int bar = 0);
    int StepIt(int bar = 0);
    int SetStep(int step, int bar = 0);

    // Paints every bar over the background into the context.
    void DrawProgress(CDC* dc, const CRect& client);

protected:
    CBarInfo* barAt(int bar);
    const CBarInfo* barAt(int bar) const;

private:
    void drawFilledPart(CDC* dc, CBarInfo& info);
    void drawText(CDC* dc, const CBarInfo& info);
    CRect filledRect(const CBarInfo& info) const;
    // The value the bar's text shows, 0 when it shows none.
    long long shownTextValue(int bar) const;

    std::vector<CBarInfo> m_bars;
    COLORREF m_backgroundColour;
    CDynBitmap* m_backgroundBitmap = nullptr; // borrowed
    CRect m_margins;
};
