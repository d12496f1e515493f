#include "widgets/BitmapDrawing.h"
#include "widgets/MemDC.h"
#include "widgets/Select.h"

#include "Afx.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A screen-compatible memory picture, green, to draw on and read back.
class MemoryContext : public testing::Test {
protected:
    MemoryContext()
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.Attach(CreatePatternBitmap(160, 50, [](int, int) { return kGreen; }));
        previous = dc.SelectObject(bitmap);
    }
    ~MemoryContext() override { dc.SelectObject(previous); }

    Picture picture()
    {
        dc.SelectObject(previous);
        Picture result = ReadBitmap(bitmap);
        dc.SelectObject(bitmap);
        return result;
    }

    CDC dc;
    CBitmap bitmap;
    HGDIOBJ previous;
};
using TransparentBlits = MemoryContext;
using OpaqueBlits = MemoryContext;

} // namespace

TEST_F(TransparentBlits, MagentaShowsTheTargetWhateverItsColoursAndTheBitmapStaysUnchanged)
{
    CBitmap source;
    // The left half magenta, the right half blue.
    source.Attach(CreatePatternBitmap(
        20, 20, [](int x, int) { return x < 10 ? kSkinTransparentColour : kBlue; }));
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
    const Picture shot = picture();
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

TEST_F(OpaqueBlits, DrawBitmapCopiesStretchesOrDrawsAPartAndNothingWithoutABitmap)
{
    CBitmap source;
    source.Attach(CreatePatternBitmap(10, 10, [](int x, int) { return x < 5 ? kRed : kBlue; }));
    CBitmap empty;
    EXPECT_FALSE(DrawBitmap(&dc, &empty));
    EXPECT_FALSE(DrawBitmap(&dc, nullptr));
    const CRect copy(10, 10, 20, 20), stretched(40, 10, 60, 20), part(0, 0, 5, 10),
        partDestination(30, 30, 35, 40);
    EXPECT_TRUE(DrawBitmap(&dc, &source, &copy));
    EXPECT_TRUE(DrawBitmap(&dc, &source, &stretched));
    EXPECT_TRUE(DrawBitmap(&dc, &source, &partDestination, &part));
    const Picture shot = picture();
    EXPECT_EQ(shot.count(kRed, CRect(10, 10, 15, 20)), 50);
    EXPECT_EQ(shot.count(kBlue, CRect(15, 10, 20, 20)), 50);
    EXPECT_EQ(shot.count(kRed, CRect(40, 10, 50, 20)), 100);
    EXPECT_EQ(shot.count(kBlue, CRect(50, 10, 60, 20)), 100);
    EXPECT_EQ(shot.count(kRed, CRect(30, 30, 35, 40)), 50);
    EXPECT_EQ(shot.count(kRed), 200) << "nothing drawn elsewhere";
    EXPECT_EQ(shot.count(kBlue), 150);
}

TEST_F(MemoryContext, GuardsRestoreTheValueFromBeforeTheirFirstChange)
{
    dc.SetTextColor(kGreen);
    dc.SetBkMode(OPAQUE);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    const HGDIOBJ originalFont = GetCurrentObject(dc, OBJ_FONT);
    {
        CSelTextColor colour(&dc, kRed);
        colour.Select(kBlue);
        EXPECT_EQ(dc.GetTextColor(), kBlue);
        CSelBkMode mode(&dc, TRANSPARENT);
        EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
        CSelTextAlign alignment(&dc, TA_CENTER | TA_BOTTOM);
        alignment.Select(TA_RIGHT);
        LOGFONTW description{};
        description.lfHeight = 20;
        CSelFont font(&dc, description);
        description.lfHeight = 30;
        font.Select(description);
        EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), originalFont);
    }
    EXPECT_EQ(dc.GetTextColor(), kGreen);
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(::GetTextAlign(dc), static_cast<UINT>(TA_LEFT | TA_TOP));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), originalFont);
}

TEST_F(MemoryContext, OffScreenPictureReachesTheTargetWhenItGoes)
{
    {
        const CRect area(10, 10, 30, 30);
        CMemDC memory(&dc, &area);
        // Callers draw in the target's coordinates.
        memory.FillSolidRect(CRect(10, 10, 20, 30), kRed);
        memory.FillSolidRect(CRect(20, 10, 30, 30), kBlue);
        EXPECT_EQ(dc.GetPixel(15, 15), kGreen);
    }
    EXPECT_EQ(dc.GetPixel(15, 15), kRed);
    EXPECT_EQ(dc.GetPixel(25, 25), kBlue);
    EXPECT_EQ(dc.GetPixel(35, 35), kGreen);
}
