#include "widgets/Progress.h"

#include "widgets/BitmapDrawing.h"
#include "widgets/MemDC.h"
#include "widgets/Select.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace {

constexpr UINT kTextAlignment = TA_CENTER | TA_BOTTOM;

// True when the format takes at most one integer and nothing else, so it is
// safe to fill with the bar's value whatever text the control was given.
bool takesOneInteger(const wchar_t* format)
{
    int conversions = 0;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'%')
            continue;
        while (*p && std::wcschr(L"-+ 0#", *p))
            ++p;
        while (std::iswdigit(*p))
            ++p;
        if (*p == L'.') {
            ++p;
            while (std::iswdigit(*p))
                ++p;
        }
        if (!*p || !std::wcschr(L"diouxX", *p))
            return false;
        ++conversions;
    }
    return conversions <= 1;
}

// %H, %M and %S as two digits, %D days, %% a percent sign.
CString formatSeconds(const CString& format, long long seconds)
{
    seconds = std::max(0LL, seconds);
    CString text;
    for (int i = 0; i < format.GetLength(); ++i) {
        const wchar_t code = i + 1 < format.GetLength() && format[i] == L'%' ? format[i + 1] : 0;
        switch (code) {
        case L'D': text.AppendFormat(L"%I64d", seconds / 86400); break;
        case L'H': text.AppendFormat(L"%02I64d", seconds / 3600 % 24); break;
        case L'M': text.AppendFormat(L"%02I64d", seconds / 60 % 60); break;
        case L'S': text.AppendFormat(L"%02I64d", seconds % 60); break;
        case L'%': text += L'%'; break;
        default: text += format[i]; continue;
        }
        ++i;
    }
    return text;
}

CPoint textPosition(const CRect& area, CSize size, DWORD style)
{
    CPoint at(area.CenterPoint().x, area.CenterPoint().y + size.cy / 2);
    const bool left = style & PBS_TEXT_LEFT, right = style & PBS_TEXT_RIGHT;
    const bool top = style & PBS_TEXT_TOP, bottom = style & PBS_TEXT_BOTTOM;
    if (left && !right)
        at.x = area.left + size.cx / 2;
    if (right && !left)
        at.x = area.right - size.cx / 2;
    if (top && !bottom)
        at.y = area.top + size.cy;
    if (bottom && !top)
        at.y = area.bottom;
    return at;
}

void drawClippedText(CDC* dc, const CRect& clip, CPoint at, const CString& text)
{
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(clip);
    dc->TextOut(at.x, at.y, text);
    dc->RestoreDC(saved);
}

} // namespace

CProgress::CProgress() : m_backgroundColour(::GetSysColor(COLOR_BTNFACE))
{
    BOOL gradientCaptions = FALSE;
    ::SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradientCaptions, 0);
    const COLORREF from = ::GetSysColor(COLOR_ACTIVECAPTION);
    SetGradientColors(from, gradientCaptions ? ::GetSysColor(COLOR_GRADIENTACTIVECAPTION) : from);
    m_bars.emplace_back();
    m_bars.front().shown = true;
}

CProgress::~CProgress() = default;

CBarInfo* CProgress::barAt(int bar)
{
    return bar >= 0 && bar < static_cast<int>(m_bars.size()) ? &m_bars[bar] : nullptr;
}

const CBarInfo* CProgress::barAt(int bar) const
{
    return const_cast<CProgress*>(this)->barAt(bar);
}

DWORD CProgress::GetBarStyle(int bar) const
{
    const CBarInfo* info = barAt(bar);
    return info ? info->style : 0;
}

void CProgress::ModifyBarStyle(DWORD remove, DWORD add, int bar)
{
    if (CBarInfo* info = barAt(bar)) {
        info->style = (info->style & ~remove) | add;
        info->painted = false;
    }
}

void CProgress::StepSnake(int bar)
{
    CBarInfo* info = barAt(bar);
    if (!info)
        return;
    const bool backwards = info->style & PBS_REVERSE;
    long long head = static_cast<long long>(info->position) + (backwards ? -info->step : info->step);
    if (head >= info->upper || head <= info->lower) {
        head = std::clamp<long long>(head, info->lower, info->upper);
        info->style ^= PBS_REVERSE;
    }
    info->position = static_cast<int>(head);
    info->tail = static_cast<int>(backwards ? std::min<long long>(info->upper, head + info->snakeLength)
                                            : std::max<long long>(info->lower, head - info->snakeLength));
}

double CProgress::GetBarTextValue(int bar) const
{
    const CBarInfo* info = barAt(bar);
    if (!info)
        return 0;
    const long long span = static_cast<long long>(info->upper) - info->lower;
    switch (info->style & PBS_TEXT_MODE_MASK) {
    case PBS_TEXT_PERCENT:
        return span == 0 ? 0 : (static_cast<long long>(info->position) - info->lower) * 100.0 / span;
    case PBS_TEXT_POSITION:
    case PBS_TEXT_ELAPSED:
        return info->position;
    case PBS_TEXT_REMAINING:
        return static_cast<double>(static_cast<long long>(info->upper) - info->position);
    default:
        return 0;
    }
}

CString CProgress::FormatBarText(int bar) const
{
    const CBarInfo* info = barAt(bar);
    if (!info)
        return CString();
    const DWORD mode = info->style & PBS_TEXT_MODE_MASK;
    if (mode == 0)
        return info->text;
    const long long value = static_cast<long long>(GetBarTextValue(bar));
    if (mode == PBS_TEXT_ELAPSED || mode == PBS_TEXT_REMAINING) {
        const CString format = !info->text.IsEmpty() ? info->text
                               : value < 3600        ? CString(L"%M:%S")
                                                     : CString(L"%H:%M:%S");
        return formatSeconds(format, value);
    }
    const CString format =
        !info->text.IsEmpty() ? info->text : CString(mode == PBS_TEXT_PERCENT ? L"%d%%" : L"%d");
    if (!takesOneInteger(format))
        return format;
    CString text;
    text.Format(format, static_cast<int>(value));
    return text;
}

long long CProgress::shownTextValue(int bar) const
{
    const CBarInfo* info = barAt(bar);
    return info && (info->style & PBS_TEXT_MODE_MASK) ? static_cast<long long>(GetBarTextValue(bar))
                                                      : 0;
}

bool CProgress::NeedsRedraw(int bar) const
{
    const CBarInfo* info = barAt(bar);
    if (!info || !info->painted)
        return true;
    // A repaint on its way shows the newest state anyway.
    if (info->repaintDue)
        return false;
    const CRect filled = info->shown ? filledRect(*info) : CRect();
    return !(filled == info->filledRect) || shownTextValue(bar) != info->paintedTextValue;
}

void CProgress::SetBarBrush(int bar, COLORREF colour)
{
    if (CBarInfo* info = barAt(bar))
        info->brush = std::make_unique<CBrush>(colour);
}

void CProgress::SetBarBitmap(int bar, CDynBitmap* bitmap)
{
    CBarInfo* info = barAt(bar);
    if (!info)
        return;
    info->bitmap = bitmap;
    const CSize size = bitmap ? GetBitmapSize(*bitmap) : CSize();
    info->bitmapWidth = size.cx;
    info->bitmapHeight = size.cy;
}

void CProgress::SetTextColours(int bar, COLORREF filled, COLORREF empty)
{
    if (CBarInfo* info = barAt(bar)) {
        info->textColourFilled = filled;
        info->textColourEmpty = empty;
    }
}

void CProgress::SetTextFormat(const wchar_t* format, DWORD mode, int bar)
{
    CBarInfo* info = barAt(bar);
    if (!info)
        return;
    const bool withValue = format && mode != 0;
    info->style = (info->style & ~PBS_TEXT_MODE_MASK) | (withValue ? mode & PBS_TEXT_MODE_MASK : 0);
    info->text = withValue ? CString(format) : CString();
    info->painted = false;
}

void CProgress::SetBarText(int bar, const CString& text)
{
    if (CBarInfo* info = barAt(bar)) {
        info->text = text;
        info->painted = false;
    }
}

CString CProgress::GetBarText(int bar) const
{
    const CBarInfo* info = barAt(bar);
    return info ? info->text : CString();
}

void CProgress::SetBarFont(int bar, HFONT font)
{
    if (CBarInfo* info = barAt(bar))
        info->font = font;
}

HFONT CProgress::GetBarFont(int bar) const
{
    const CBarInfo* info = barAt(bar);
    return info ? info->font : nullptr;
}

void CProgress::SetRange(int a, int b, int bar)
{
    CBarInfo* info = barAt(bar);
    if (!info)
        return;
    info->lower = std::min(a, b);
    info->upper = std::max(a, b);
    SetPos(info->position, bar);
}

bool CProgress::GetRange(int& lower, int& upper, int bar) const
{
    const CBarInfo* info = barAt(bar);
    if (!info)
        return false;
    lower = info->lower;
    upper = info->upper;
    return true;
}

int CProgress::SetPos(int value, int bar)
{
    CBarInfo* info = barAt(bar);
    if (!info)
        return 0;
    const int previous = info->position;
    if (info->style & PBS_SNAKE) {
        StepSnake(bar);
    } else {
        const int clamped = std::clamp(value, info->lower, info->upper);
        if (clamped == previous)
            return previous;
        info->position = clamped;
    }
    if (NeedsRedraw(bar)) {
        info->repaintDue = true;
        RedrawBar(bar);
    }
    return previous;
}

int CProgress::GetPos(int bar) const
{
    const CBarInfo* info = barAt(bar);
    return info ? info->position : 0;
}

int CProgress::OffsetPos(int increment, int bar)
{
    const long long target = static_cast<long long>(GetPos(bar)) + increment;
    return SetPos(static_cast<int>(std::clamp<long long>(target, INT_MIN, INT_MAX)), bar);
}

int CProgress::StepIt(int bar)
{
    const CBarInfo* info = barAt(bar);
    return info ? OffsetPos(info->step, bar) : 0;
}

int CProgress::SetStep(int step, int bar)
{
    CBarInfo* info = barAt(bar);
    if (!info)
        return 0;
    const int previous = info->step;
    info->step = step;
    return previous;
}

CRect CProgress::filledRect(const CBarInfo& info) const
{
    const CRect& bar = info.barRect;
    const bool vertical = info.style & PBS_BAR_VERTICAL;
    const long long length = vertical ? bar.Height() : bar.Width();
    const long long span = static_cast<long long>(info.upper) - info.lower;
    // 64-bit: byte counts of large files times the bar length pass 2^31.
    auto lengthTo = [&](int value) {
        return span == 0 ? 0 : static_cast<int>((static_cast<long long>(value) - info.lower) * length / span);
    };
    const bool snake = info.style & PBS_SNAKE;
    const int from = snake ? lengthTo(std::min(info.tail, info.position)) : 0;
    const int to = lengthTo(snake ? std::max(info.tail, info.position) : info.position);
    const bool reverse = info.style & PBS_REVERSE;
    CRect filled = bar;
    if (!vertical && !reverse) {
        filled.left = bar.left + from;
        filled.right = bar.left + to;
    } else if (!vertical) {
        filled.right = bar.right - from;
        filled.left = bar.right - to;
    } else if (!reverse) {
        filled.bottom = bar.bottom - from;
        filled.top = bar.bottom - to;
    } else {
        filled.top = bar.top + from;
        filled.bottom = bar.top + to;
    }
    return filled;
}

void CProgress::drawFilledPart(CDC* dc, CBarInfo& info)
{
    info.filledRect = filledRect(info);
    const CRect& filled = info.filledRect;
    if (filled.IsRectEmpty())
        return;
    if (info.bitmap && info.bitmap->GetSafeHandle()) {
        if (info.style & PBS_SNAKE)
            DrawTransparentBitmap(dc, info.bitmap, filled, kSkinTransparentColour,
                                  filled.left - info.barRect.left, filled.top - info.barRect.top);
        else
            DrawMaskedBitmap(dc, filled, info.bitmap, kSkinTransparentColour);
    } else if (info.brush) {
        dc->FillRect(filled, info.brush.get());
    } else {
        const bool vertical = info.style & PBS_BAR_VERTICAL;
        const bool reverse = info.style & PBS_REVERSE;
        const GradientDirection direction =
            vertical ? (reverse ? GRADIENT_TOP_TO_BOTTOM : GRADIENT_BOTTOM_TO_TOP)
                     : (reverse ? GRADIENT_RIGHT_TO_LEFT : GRADIENT_LEFT_TO_RIGHT);
        DrawGradient(dc, (info.style & PBS_GRADIENT_STRETCHED) ? filled : info.barRect, filled,
                     direction);
    }
}

void CProgress::drawText(CDC* dc, const CBarInfo& info)
{
    const CString text = FormatBarText(static_cast<int>(&info - m_bars.data()));
    if (text.IsEmpty())
        return;
    CSelFont font(dc, info.font);
    CSelBkMode mode(dc, TRANSPARENT);
    CSelTextAlign alignment(dc, kTextAlignment);
    CSelTextColor colour(dc, info.textColourEmpty);
    const CSize size = dc->GetTextExtent(text);
    if (info.style & PBS_TEXT_INSIDE_BAR) {
        const bool vertical = info.style & PBS_BAR_VERTICAL;
        const bool fits = vertical ? size.cy <= info.filledRect.Height()
                                   : size.cx <= info.filledRect.Width();
        if (!fits || info.filledRect.IsRectEmpty())
            return;
        colour.Select(info.textColourFilled);
        drawClippedText(dc, info.filledRect, textPosition(info.filledRect, size, info.style), text);
        return;
    }
    const CPoint at = textPosition(info.barRect, size, info.style);
    drawClippedText(dc, info.barRect, at, text);
    if (info.textColourFilled != info.textColourEmpty && !info.filledRect.IsRectEmpty()) {
        colour.Select(info.textColourFilled);
        drawClippedText(dc, info.filledRect, at, text);
    }
}

void CProgress::DrawProgress(CDC* dc, const CRect& client)
{
    const bool withBackgroundBitmap = m_backgroundBitmap && m_backgroundBitmap->GetSafeHandle();
    const CRect rect =
        withBackgroundBitmap ? CenterSizeInRect(client, GetBitmapSize(*m_backgroundBitmap)) : client;
    CMemDC memory(dc, &rect);
    if (withBackgroundBitmap)
        DrawMaskedBitmap(&memory, rect, m_backgroundBitmap, kSkinTransparentColour);
    else if (m_backgroundColour != CLR_NONE)
        memory.FillSolidRect(rect, m_backgroundColour);
    const CRect inner(rect.left + m_margins.left, rect.top + m_margins.top,
                      rect.right - m_margins.right, rect.bottom - m_margins.bottom);
    for (CBarInfo& info : m_bars) {
        info.outerRect = inner;
        info.barRect = info.bitmap && info.bitmap->GetSafeHandle()
                           ? CenterSizeInRect(inner, CSize(info.bitmapWidth, info.bitmapHeight))
                           : inner;
        CRect& bar = info.barRect;
        bar.left = std::min(bar.right, bar.left + info.placeX);
        bar.top = std::min(bar.bottom, bar.top + info.placeY);
        if (info.placeWidth > 0 && bar.left + info.placeWidth < bar.right)
            bar.right = bar.left + info.placeWidth;
        if (info.placeHeight > 0 && bar.top + info.placeHeight < bar.bottom)
            bar.bottom = bar.top + info.placeHeight;
        info.filledRect = CRect();
        if (info.shown)
            drawFilledPart(&memory, info);
        drawText(&memory, info);
        info.painted = true;
        info.repaintDue = false;
        info.paintedTextValue = shownTextValue(static_cast<int>(&info - m_bars.data()));
    }
}
