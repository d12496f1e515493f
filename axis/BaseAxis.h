#pragma once

#include "axis/AxisApi.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

// A horizontal scale: an axis line along the top of the paint rectangle, marks
// hanging from it at steps that suit the visible range, and labels under the
// big marks that never overlap. What the values mean, which steps exist and
// how a label reads is the derived axis's business.
class AXIS_API CBaseAxis {
public:
    // labelGap: the least free space between two labels, in average character
    // widths of the font. The axis line is drawn with linePen, the marks with
    // markPen; the labels take markPen's colour.
    CBaseAxis(const LOGFONTW& font, const LOGPEN& linePen, const LOGPEN& markPen, double labelGap);
    virtual ~CBaseAxis();
    CBaseAxis(const CBaseAxis&) = delete;
    CBaseAxis& operator=(const CBaseAxis&) = delete;

    void SetAxisParams(const LOGFONTW& font, const LOGPEN& linePen, const LOGPEN& markPen,
                       double labelGap);
    // Lengths in pixels of the small, middle and big marks, and the top of
    // the labels in the coordinates of the rectangles given to Paint. Until
    // this is called the labels sit right under the big marks.
    void SetAxisParamsEx(int smallMarkLength, int middleMarkLength, int bigMarkLength,
                         int labelTop);
    // Draws the scale for the current range into axisRect, touching only
    // pixels inside updateRect. eraseBackground first fills axisRect with the
    // device context's background colour. Nothing is drawn for an empty or
    // reversed range.
    void Paint(HDC dc, const RECT& axisRect, const RECT& updateRect, bool eraseBackground);

protected:
    // The values at the left and right border; marks fall on multiples of
    // their step counted from origin.
    void setRange(int64_t first, int64_t last, int64_t origin);
    // Mark steps to choose from, ascending.
    virtual const int64_t* steps(size_t* count) const = 0;
    // The label of the big mark at value (counted from origin) when big marks
    // are step apart.
    virtual void formatLabel(int64_t value, int64_t step, wchar_t* text, size_t size) const = 0;

private:
    struct Scale {
        int64_t big;
        int64_t middle; // 0 when there are no middle marks
        int64_t small;
    };

    struct Label {
        wchar_t text[64];
        int length;
        SIZE extent;
    };

    void releaseObjects();
    int labelGapPixels(HDC dc) const;
    Label makeLabel(HDC dc, int64_t value, int64_t step) const;
    LONG pixelOf(const RECT& axisRect, int64_t value, double pixelsPerUnit) const;
    Scale chooseScale(HDC dc, double pixelsPerUnit) const;
    void paintMarks(HDC dc, const RECT& axisRect, const Scale& scale, double pixelsPerUnit) const;
    void paintLabels(HDC dc, const RECT& axisRect, const Scale& scale, double pixelsPerUnit) const;
    int64_t firstMultiple(int64_t step) const;

    HFONT m_font = nullptr;
    HPEN m_linePen = nullptr;
    HPEN m_markPen = nullptr;
    COLORREF m_labelColor = 0;
    double m_labelGap = 0.0;
    int m_smallMarkLength = 3;
    int m_middleMarkLength = 5;
    int m_bigMarkLength = 8;
    std::optional<int> m_labelTop;
    int64_t m_first = 0;
    int64_t m_last = 0;
    int64_t m_origin = 0;
};
