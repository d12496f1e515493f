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

// 20 x 20: the left half magenta, the right half blue.
HBITMAP halfMagentaBitmap()
{
    return CreatePatternBitmap(20, 20,
                               [](int x, int) { return x < 10 ? kSkinTransparentColour : kBlue; });
}

// 10 x 10: the left half red, the right half blue.
HBITMAP redBlueBitmap()
{
    return CreatePatternBitmap(10, 10, [](int x, int) { return x < 5 ? kRed : kBlue; });
}

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
    source.Attach(halfMagentaBitmap());
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
    CDynBitmap source;
    EXPECT_EQ(GetBitmapSize(source), CSize(0, 0));
    EXPECT_EQ(source.GetSize().cx, 0);
    source.Attach(CreatePatternBitmap(10, 7, [](int x, int) { return x < 5 ? kRed : kBlue; }));
    EXPECT_EQ(GetBitmapSize(source), CSize(10, 7));
    EXPECT_EQ(source.GetWidth(), 10);
    EXPECT_EQ(source.GetHeight(), 7);
    source.DeleteObject();
    source.Attach(redBlueBitmap());
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

TEST(CenterSizeInRect, CentresEachAxisWithRoomAndKeepsTheOthers)
{
    EXPECT_EQ(CenterSizeInRect(CRect(0, 0, 100, 50), CSize(20, 10)), CRect(40, 20, 60, 30));
    // No room across: the width stays, the height is centred.
    EXPECT_EQ(CenterSizeInRect(CRect(10, 0, 30, 50), CSize(40, 10)), CRect(10, 20, 30, 30));
    // One spare pixel is no room: half of it is 0.
    EXPECT_EQ(CenterSizeInRect(CRect(0, 0, 21, 50), CSize(20, 50)), CRect(0, 0, 21, 50));
    EXPECT_EQ(CenterSizeInRect(CRect(0, 0, 100, 50), CSize(0, 10)), CRect(0, 0, 100, 50));
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

TEST_F(MemoryContext, OffScreenPictureReachesTheTargetWhenItGoesButAPrinterIsDrawnOnDirectly)
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

    dc.m_bPrinting = TRUE;
    {
        CMemDC memory(&dc);
        memory.FillSolidRect(CRect(0, 0, 5, 5), kRed);
        EXPECT_EQ(dc.GetPixel(2, 2), kRed);
    }
    EXPECT_NE(dc.GetSafeHdc(), nullptr);
    EXPECT_EQ(dc.GetPixel(2, 2), kRed);
}
