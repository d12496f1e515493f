#include "widgets/BitmapDrawing.h"

#include "Afx.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

} // namespace

TEST(TransparentBlits, MagentaShowsTheTargetWhateverItsColoursAndTheBitmapStaysUnchanged)
{
    CBitmap source;
    // The left half magenta, the right half blue.
    source.Attach(CreatePatternBitmap(
        20, 20, [](int x, int) { return x < 10 ? kSkinTransparentColour : kBlue; }));
    const Picture shot = PaintedPicture(SIZE{160, 50}, kGreen, [&](HDC target) {
        CDC dc;
        dc.Attach(target);
        DrawTransparentBitmap(&dc, &source, CRect(10, 10, 30, 30), kSkinTransparentColour);
        // Text and background colours of the target must not tint the mask.
        dc.SetTextColor(kRed);
        dc.SetBkColor(kBlue);
        DrawMaskedBitmap(&dc, CRect(50, 10, 70, 30), &source, kSkinTransparentColour);
        // A part prepared from column 5 (five transparent columns, then ten blue),
        // drawn on green and on red.
        CTransparentBitmap prepared;
        prepared.prepare(&dc, source, CRect(5, 0, 20, 20), kSkinTransparentColour);
        prepared.draw(&dc, CPoint(90, 10));
        dc.FillSolidRect(CRect(130, 10, 150, 30), kRed);
        dc.SetTextColor(kBlue);
        dc.SetBkColor(kRed);
        prepared.draw(&dc, CPoint(130, 10));
        dc.Detach();
    });
    EXPECT_EQ(shot.count(kGreen, CRect(10, 10, 20, 30)), 200) << "transparent half";
    EXPECT_EQ(shot.count(kBlue, CRect(20, 10, 30, 30)), 200) << "opaque half";
    for (int y = 10; y < 30; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(shot.at(10 + x, y), shot.at(50 + x, y)) << "masked at " << x << "," << y;
        for (int x = 0; x < 15; ++x) {
            ASSERT_EQ(shot.at(90 + x, y), x < 5 ? kGreen : kBlue)
                << "prepared at " << x << "," << y;
            ASSERT_EQ(shot.at(130 + x, y), x < 5 ? kRed : kBlue) << "on red at " << x << "," << y;
        }
        EXPECT_EQ(shot.at(105, y), kGreen) << "right of the part at row " << y;
        EXPECT_EQ(shot.at(145, y), kRed) << "right of the part at row " << y;
    }
    EXPECT_EQ(shot.count(kBlue, CRect(10, 30, 150, 40)), 0);
    const Picture after = ReadBitmap(source);
    EXPECT_EQ(after.count(kSkinTransparentColour, CRect(0, 0, 10, 20)), 200) << "bitmap unchanged";
    EXPECT_EQ(after.count(kBlue, CRect(10, 0, 20, 20)), 200);
}
