#include "widgets/BitmapDrawing.h"
#include "widgets/ProgressCtrlX.h"

#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

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

TEST_F(ProgressBar, EmptyRangeFillsNothingAndReadsZeroPercent)
{
    setRange(0, 0);
    bar.SendMessage(PBM_SETPOS, 5);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(bar.FormatBarText(0), L"0%");
    const Picture shot = CaptureClientArea(bar);
    EXPECT_EQ(shot.count(kBar), 0);
    EXPECT_TRUE(columnIs(shot, 2, kBackground));
}

TEST_F(ProgressBar, PositionsOutsideTheRangeShowAsItsEnds)
{
    setRange(0, 100);
    bar.SendMessage(PBM_SETPOS, 500);
    EXPECT_EQ(bar.SendMessage(PBM_GETPOS), 100);
    EXPECT_EQ(bar.FormatBarText(0), L"100%");
    Picture shot = CaptureClientArea(bar);
    EXPECT_TRUE(columnIs(shot, 1, kBar));
    EXPECT_TRUE(columnIs(shot, kWidth - 2, kBar));

    bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(-20));
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_EQ(bar.FormatBarText(0), L"0%");
    shot = CaptureClientArea(bar);
    EXPECT_EQ(shot.count(kBar), 0);
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

TEST_F(ProgressBar, RangesOfLargeFilesFillByTheirShare)
{
    setRange(0, 2000000000);
    bar.SetPos(1000000000);
    EXPECT_EQ(bar.FormatBarText(0), L"50%");
    const Picture shot = CaptureClientArea(bar);
    EXPECT_TRUE(columnIs(shot, 2, kBar));
    EXPECT_TRUE(columnIs(shot, kWidth - 2, kBackground));
}

TEST_F(ProgressBar, ReversedRangeIsStoredInOrder)
{
    const LRESULT previous = bar.SendMessage(PBM_SETRANGE32, 200, 100);
    EXPECT_EQ(previous, MAKELRESULT(0, 100));
    PBRANGE range{};
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 100);
    EXPECT_EQ(range.iLow, 100);
    EXPECT_EQ(range.iHigh, 200);
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, FALSE, 0), 200);
    EXPECT_EQ(bar.GetPos(), 100) << "the position is clamped into the new range";
    bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(30, 10));
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, TRUE, 0), 10);
}

TEST_F(ProgressBar, PercentIsTruncated)
{
    setRange(0, 1000);
    bar.SetPos(999);
    EXPECT_EQ(bar.FormatBarText(0), L"99%");
    bar.SetTextFormat(nullptr, PBS_TEXT_PERCENT);
    EXPECT_EQ(bar.FormatBarText(0), L"") << "no format means no value text";
    bar.SetTextFormat(L"", PBS_TEXT_PERCENT);
    EXPECT_EQ(bar.FormatBarText(0), L"99%") << "an empty format takes the default";
}

TEST_F(ProgressBar, SamePositionTwiceRedrawsOnce)
{
    bar.redraws = 0;
    bar.SetPos(40);
    bar.SetPos(40);
    EXPECT_EQ(bar.redraws, 1);
}

TEST_F(ProgressBar, StepDeltaAndPositionMessagesReturnThePreviousValue)
{
    EXPECT_EQ(bar.SendMessage(PBM_SETSTEP, 15), 10);
    EXPECT_EQ(bar.SendMessage(PBM_STEPIT), 0);
    EXPECT_EQ(bar.SendMessage(PBM_DELTAPOS, 5), 15);
    EXPECT_EQ(bar.SendMessage(PBM_SETPOS, 70), 20);
    EXPECT_EQ(bar.SendMessage(PBM_GETPOS), 70);
    EXPECT_EQ(bar.OffsetPos(1000), 70);
    EXPECT_EQ(bar.GetPos(), 100);
    // A bar that does not exist answers 0 and changes nothing.
    EXPECT_EQ(bar.SetPos(5, 3), 0);
    EXPECT_EQ(bar.GetPos(3), 0);
    EXPECT_EQ(bar.GetPos(), 100);
}

TEST_F(ProgressBar, TextAndFontMessagesReachTheBar)
{
    bar.SetTextFormat(nullptr, 0);
    EXPECT_TRUE(bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Working")));
    EXPECT_EQ(bar.SendMessage(WM_GETTEXTLENGTH), 7);
    wchar_t buffer[5];
    EXPECT_EQ(bar.SendMessage(WM_GETTEXT, 5, reinterpret_cast<LPARAM>(buffer)), 4);
    EXPECT_STREQ(buffer, L"Work");
    EXPECT_EQ(bar.FormatBarText(0), L"Working") << "without a text mode the text shows as it is";

    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    bar.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(bar.SendMessage(WM_GETFONT)), font);
}

TEST_F(ProgressBar, TextThatIsNoIntegerFormatIsShownAsWritten)
{
    bar.SetPos(30);
    bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"%s of %s"));
    EXPECT_EQ(bar.FormatBarText(0), L"%s of %s");
    bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"done %3d%%"));
    EXPECT_EQ(bar.FormatBarText(0), L"done  30%");
    CaptureClientArea(bar);
}

TEST_F(ProgressBar, PositionAndTimeModes)
{
    setRange(0, 10000);
    bar.SetPos(75);
    bar.SetTextFormat(L"", PBS_TEXT_POSITION);
    EXPECT_EQ(bar.FormatBarText(0), L"75");
    bar.SetTextFormat(L"", PBS_TEXT_ELAPSED);
    EXPECT_EQ(bar.FormatBarText(0), L"01:15");
    bar.SetPos(3700);
    EXPECT_EQ(bar.FormatBarText(0), L"01:01:40");
    bar.SetTextFormat(L"", PBS_TEXT_REMAINING);
    EXPECT_EQ(bar.FormatBarText(0), L"01:45:00");
}

TEST_F(ProgressBar, ColourMessagesAnswerDefaultAndGradientFillsWithoutBrush)
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
    shot = CaptureClientArea(plain);
    EXPECT_EQ(shot.count(RGB(0, 255, 0)), kWidth * kHeight);
}

TEST_F(ProgressBar, BarBitmapIsRevealedFromItsLeftAndKeepsItsMagentaTransparent)
{
    // Bar 0 shows a bitmap as wide as the bar: blue with a magenta stripe.
    bar.m_barBitmap.Attach(CreatePatternBitmap(kWidth, kHeight, [](int x, int) {
        return x >= 20 && x < 30 ? kSkinTransparentColour : RGB(0, 160, 0);
    }));
    bar.SetBarBitmap(0, &bar.m_barBitmap);
    bar.SetTextFormat(nullptr, 0);
    bar.SetPos(25);
    const Picture shot = CaptureClientArea(bar);
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
