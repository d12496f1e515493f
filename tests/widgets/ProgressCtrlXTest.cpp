#include "widgets/ProgressCtrlX.h"

#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr COLORREF kBar = RGB(0, 0, 200);
constexpr COLORREF kBackground = RGB(220, 220, 220);
constexpr COLORREF kTextOverBar = RGB(255, 255, 255);
constexpr COLORREF kTextOverEmpty = RGB(0, 0, 0);
constexpr int kWidth = 200;
constexpr int kHeight = 24;

class ProgressBar : public testing::Test {
protected:
    ProgressBar()
    {
        bar.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 10 + kWidth, 10 + kHeight), &window, 1002);
        bar.SetBarBrush(0, kBar);
        bar.SetTextFormat(L"%d%%", PBS_TEXT_PERCENT);
        bar.SetTextColours(0, kTextOverBar, kTextOverEmpty);
        bar.SendMessage(PBM_SETBKCOLOR, 0, kBackground);
    }

    void setRange(int lower, int upper)
    {
        bar.SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    }

    WidgetTestWindow window;
    CProgressCtrlX bar;
};

} // namespace

TEST_F(ProgressBar, TextAndFillShowThePositionsShareOfTheRangeAndTheTextChangesColourOverIt)
{
    const struct {
        int lower, upper, pos;
        const wchar_t* text;
        int columns;
    } rows[] = {{0, 0, 5, L"0%", 0}, // an empty range
                {0, 100, 500, L"100%", kWidth},
                {0, 100, -20, L"0%", 0},
                {0, 100, 50, L"50%", kWidth / 2},
                {0, 2000000000, 1000000000, L"50%", kWidth / 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.lower << ".." << row.upper << " at " << row.pos);
        setRange(row.lower, row.upper);
        bar.SetTextFormat(L"%d%%", PBS_TEXT_PERCENT);
        bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(row.pos));
        EXPECT_EQ(bar.GetPos(), std::clamp(row.pos, row.lower, row.upper));
        EXPECT_EQ(bar.FormatBarText(0), row.text);
        bar.SetTextFormat(nullptr, 0);
        const Picture shot = CaptureClientArea(bar);
        EXPECT_EQ(shot.count(kBar, CRect(0, 0, row.columns, kHeight)), row.columns * kHeight);
        EXPECT_EQ(shot.count(kBackground, CRect(row.columns, 0, kWidth, kHeight)),
                  (kWidth - row.columns) * kHeight);
    }
    // "50%" straddles the end of the filled half and changes colour there.
    setRange(0, 100);
    bar.SetPos(50);
    bar.SetTextFormat(L"%d%%", PBS_TEXT_PERCENT);
    const Picture shot = CaptureClientArea(bar);
    const CRect filledHalf(0, 0, kWidth / 2, kHeight), emptyHalf(kWidth / 2, 0, kWidth, kHeight);
    EXPECT_GT(shot.count(kTextOverBar, filledHalf), 0);
    EXPECT_EQ(shot.count(kTextOverBar, emptyHalf), 0);
    EXPECT_GT(shot.count(kTextOverEmpty, emptyHalf), 0);
    EXPECT_EQ(shot.count(kTextOverEmpty, filledHalf), 0);

    setRange(0, 1000);
    bar.SendMessage(PBM_SETPOS, 999);
    // Truncated; no format, no text; an empty format, the default one.
    const std::pair<const wchar_t*, const wchar_t*> formats[] = {
        {L"%d%%", L"99%"}, {nullptr, L""}, {L"", L"99%"}};
    for (const auto& [format, text] : formats) {
        bar.SetTextFormat(format, PBS_TEXT_PERCENT);
        EXPECT_EQ(bar.FormatBarText(0), text);
    }
}
