#include "widgets/BitmapDrawing.h"
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

class CountingProgress : public CProgressCtrlX {
public:
    void RedrawBar(int bar) override
    {
        ++redraws;
        CProgressCtrlX::RedrawBar(bar);
    }
    int redraws = 0;
};

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
    // Columns at the ends of the bar, clear of the centred text.
    bool columnIs(const Picture& shot, int x, COLORREF colour)
    {
        return shot.count(colour, CRect(x, 0, x + 1, kHeight)) == kHeight;
    }

    WidgetTestWindow window;
    CountingProgress bar;
};

} // namespace

TEST_F(ProgressBar, TextShowsThePositionInTheFormatAndModeOfTheTable)
{
    const struct {
        int lower, upper, pos;
        const wchar_t* format;
        DWORD mode;
        const wchar_t* windowText; // the text format set by WM_SETTEXT, or none
        const wchar_t* expected;
    } rows[] = {
        {0, 0, 5, L"%d%%", PBS_TEXT_PERCENT, nullptr, L"0%"}, // an empty range
        {0, 100, 500, L"%d%%", PBS_TEXT_PERCENT, nullptr, L"100%"},
        {0, 100, -20, L"%d%%", PBS_TEXT_PERCENT, nullptr, L"0%"},
        {0, 2000000000, 1000000000, L"%d%%", PBS_TEXT_PERCENT, nullptr, L"50%"},
        {0, 1000, 999, L"%d%%", PBS_TEXT_PERCENT, nullptr, L"99%"}, // truncated
        {0, 1000, 999, nullptr, PBS_TEXT_PERCENT, nullptr, L""},
        {0, 1000, 999, L"", PBS_TEXT_PERCENT, nullptr, L"99%"}, // the default format
        {0, 10000, 75, L"", PBS_TEXT_POSITION, nullptr, L"75"},
        {0, 10000, 75, L"", PBS_TEXT_ELAPSED, nullptr, L"01:15"},
        {0, 10000, 3700, L"", PBS_TEXT_ELAPSED, nullptr, L"01:01:40"},
        {0, 10000, 3700, L"", PBS_TEXT_REMAINING, nullptr, L"01:45:00"},
        {0, 100, 30, nullptr, 0, L"Working", L"Working"},                  // no text mode: as it is
        {0, 100, 30, L"%d%%", PBS_TEXT_PERCENT, L"%s of %s", L"%s of %s"}, // no integer format
        {0, 100, 30, L"%d%%", PBS_TEXT_PERCENT, L"done %3d%%", L"done  30%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.lower << ".." << row.upper << " at " << row.pos);
        setRange(row.lower, row.upper);
        bar.SetTextFormat(row.format, row.mode);
        if (row.windowText)
            bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.windowText));
        bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(row.pos));
        EXPECT_EQ(bar.GetPos(), std::clamp(row.pos, row.lower, row.upper));
        EXPECT_EQ(bar.FormatBarText(0), row.expected);
        CaptureClientArea(bar); // a text taken as a format must not upset the paint
    }
}

TEST_F(ProgressBar, FillCoversTheShareOfTheRangeThePositionHas)
{
    const struct {
        int lower, upper, pos, columns;
    } rows[] = {{0, 0, 5, 0},
                {0, 100, 500, kWidth},
                {0, 100, -20, 0},
                {0, 100, 50, kWidth / 2},
                {0, 2000000000, 1000000000, kWidth / 2}};
    bar.SetTextFormat(nullptr, 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.lower << ".." << row.upper << " at " << row.pos);
        setRange(row.lower, row.upper);
        bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(row.pos));
        const Picture shot = CaptureClientArea(bar);
        EXPECT_EQ(shot.count(kBar), row.columns * kHeight);
        EXPECT_EQ(shot.count(kBackground), (kWidth - row.columns) * kHeight);
    }
}

TEST_F(ProgressBar, HalfwayFillsHalfAndTheTextChangesColourOverTheBar)
{
    setRange(0, 100);
    bar.SetPos(50);
    const Picture shot = CaptureClientArea(bar);
    SaveScreenshot(shot, L"progress_bar_halfway");
    const CRect filledHalf(0, 0, kWidth / 2, kHeight), emptyHalf(kWidth / 2, 0, kWidth, kHeight);
    EXPECT_TRUE(columnIs(shot, 0, kBar));
    EXPECT_TRUE(columnIs(shot, kWidth / 2 + 30, kBackground));
    EXPECT_EQ(shot.count(kBar, emptyHalf), 0);
    // "50%" straddles the end of the filled part.
    EXPECT_GT(shot.count(kTextOverBar, filledHalf), 0);
    EXPECT_EQ(shot.count(kTextOverBar, emptyHalf), 0);
    EXPECT_GT(shot.count(kTextOverEmpty, emptyHalf), 0);
    EXPECT_EQ(shot.count(kTextOverEmpty, filledHalf), 0);
}

TEST_F(ProgressBar, MessagesAnswerWithThePreviousValues)
{
    EXPECT_EQ(bar.SendMessage(PBM_SETSTEP, 15), 10);
    EXPECT_EQ(bar.SendMessage(PBM_STEPIT), 0);
    EXPECT_EQ(bar.SendMessage(PBM_DELTAPOS, 5), 15);
    EXPECT_EQ(bar.SendMessage(PBM_SETPOS, 70), 20);
    EXPECT_EQ(bar.OffsetPos(1000), 70);
    EXPECT_EQ(bar.GetPos(), 100);
    // A bar that does not exist answers 0 and changes nothing.
    EXPECT_EQ(bar.SetPos(5, 3), 0);
    EXPECT_EQ(bar.GetPos(3), 0);
    EXPECT_EQ(bar.GetPos(), 100);

    // A reversed range is stored in order and the position clamped into it.
    EXPECT_EQ(bar.SendMessage(PBM_SETRANGE32, 200, 100), MAKELRESULT(0, 100));
    PBRANGE range{};
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 100);
    EXPECT_EQ(range.iLow, 100);
    EXPECT_EQ(range.iHigh, 200);
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, FALSE, 0), 200);
    EXPECT_EQ(bar.GetPos(), 100);
    bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(30, 10));
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, TRUE, 0), 10);

    EXPECT_TRUE(bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Working")));
    EXPECT_EQ(bar.SendMessage(WM_GETTEXTLENGTH), 7);
    wchar_t buffer[5];
    EXPECT_EQ(bar.SendMessage(WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)), 4);
    EXPECT_STREQ(buffer, L"Work");
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    bar.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(bar.SendMessage(WM_GETFONT)), font);
}

TEST_F(ProgressBar, WithoutABrushTheBarIsAGradientAndABitmapIsRevealedFromItsLeft)
{
    CProgressCtrlX plain;
    plain.Create(WS_CHILD | WS_VISIBLE, CRect(10, 50, 10 + kWidth, 50 + kHeight), &window, 1003);
    plain.SetTextFormat(nullptr, 0);
    EXPECT_EQ(plain.SendMessage(PBM_SETBKCOLOR, 0, kBackground), static_cast<LRESULT>(CLR_DEFAULT));
    EXPECT_EQ(plain.SendMessage(PBM_SETBARCOLOR, RGB(255, 0, 0), RGB(0, 0, 255)),
              static_cast<LRESULT>(CLR_DEFAULT));
    plain.SetPos(100);
    Picture shot = CaptureClientArea(plain);
    EXPECT_EQ(shot.at(0, 5), RGB(0, 0, 255));
    EXPECT_EQ(shot.at(kWidth - 1, 5), RGB(255, 0, 0));
    EXPECT_NE(shot.at(kWidth / 2, 5), shot.at(0, 5));
    plain.SendMessage(PBM_SETBARCOLOR, 0, RGB(0, 255, 0));
    EXPECT_EQ(CaptureClientArea(plain).count(RGB(0, 255, 0)), kWidth * kHeight);

    // Bar 0 shows a bitmap as wide as the bar: green with a magenta stripe.
    bar.m_barBitmap.Attach(CreatePatternBitmap(kWidth, kHeight, [](int x, int) {
        return x >= 20 && x < 30 ? kSkinTransparentColour : RGB(0, 160, 0);
    }));
    bar.SetBarBitmap(0, &bar.m_barBitmap);
    bar.SetTextFormat(nullptr, 0);
    bar.SetPos(25);
    shot = CaptureClientArea(bar);
    EXPECT_TRUE(columnIs(shot, 5, RGB(0, 160, 0)));
    EXPECT_TRUE(columnIs(shot, 22, kBackground)) << "magenta shows the background";
    EXPECT_TRUE(columnIs(shot, 60, kBackground)) << "not yet revealed";
    EXPECT_EQ(shot.count(kBar), 0) << "the bitmap comes before the brush";
}

TEST_F(ProgressBar, PositionsThatShowNothingNewAreNotRedrawn)
{
    // A large range: many positions share a column of the bar and a percent.
    setRange(0, 1000000);
    bar.SetPos(1);
    bar.UpdateWindow();
    bar.redraws = 0;
    bar.SetPos(2);
    bar.SetPos(1000);
    EXPECT_EQ(bar.redraws, 0) << "the fill and the text stay as painted";
    bar.SetPos(6000);
    EXPECT_EQ(bar.redraws, 1) << "the fill reaches the next column";
    bar.SetPos(300000);
    bar.SetPos(600000);
    EXPECT_EQ(bar.redraws, 1) << "the repaint on its way will show the newest position";
    bar.UpdateWindow();
    const Picture shot = CaptureClientArea(bar);
    EXPECT_TRUE(columnIs(shot, kWidth * 6 / 10 - 2, kBar));
    EXPECT_TRUE(columnIs(shot, kWidth * 6 / 10 + 1, kBackground));
    bar.SetPos(600001);
    EXPECT_EQ(bar.redraws, 1);
    bar.SetPos(610000);
    EXPECT_EQ(bar.redraws, 2) << "the next column and 61%";
    bar.UpdateWindow();
    // A new text format shows on the next position, even in the same column.
    bar.SetTextFormat(L"%d of 100", PBS_TEXT_PERCENT);
    bar.SetPos(610001);
    EXPECT_EQ(bar.redraws, 3);
}
