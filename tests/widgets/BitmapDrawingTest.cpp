#include "widgets/BitmapDrawing.h"
#include "widgets/MemDC.h"
#include "widgets/Select.h"

#include "WidgetTestWindow.h"

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

} // namespace

TEST(TransparentBlits, MagentaShowsTheTargetWhateverItsColoursAndTheBitmapStaysUnchanged)
{
    WidgetTestWindow window;
    CBitmap bitmap;
    bitmap.Attach(halfMagentaBitmap());
    {
        CClientDC dc(&window);
        DrawTransparentBitmap(&dc, &bitmap, CRect(10, 10, 30, 30), kSkinTransparentColour);
        // Text and background colours of the target must not tint the mask.
        dc.SetTextColor(kRed);
        dc.SetBkColor(kBlue);
        DrawMaskedBitmap(&dc, CRect(50, 10, 70, 30), &bitmap, kSkinTransparentColour);
        // A part prepared from column 5 (five transparent columns, then ten
        // blue), drawn on the window and on red.
        CTransparentBitmap prepared;
        prepared.prepare(&dc, bitmap, CRect(5, 0, 20, 20), kSkinTransparentColour);
        prepared.draw(&dc, CPoint(90, 10));
        dc.FillSolidRect(CRect(130, 10, 150, 30), kRed);
        dc.SetTextColor(kBlue);
        dc.SetBkColor(kRed);
        prepared.draw(&dc, CPoint(130, 10));
    }
    const Picture shot = CaptureClientArea(window);
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
    const Picture after = ReadBitmap(bitmap);
    EXPECT_EQ(after.count(kSkinTransparentColour, CRect(0, 0, 10, 20)), 200) << "bitmap unchanged";
    EXPECT_EQ(after.count(kBlue, CRect(10, 0, 20, 20)), 200);
}

TEST(OpaqueBlits, DrawBitmapCopiesStretchesOrDrawsAPartAndNothingWithoutABitmap)
{
    WidgetTestWindow window;
    CDynBitmap bitmap;
    EXPECT_EQ(GetBitmapSize(bitmap), CSize(0, 0));
    EXPECT_EQ(bitmap.GetSize().cx, 0);
    bitmap.Attach(CreatePatternBitmap(10, 7, [](int x, int) { return x < 5 ? kRed : kBlue; }));
    EXPECT_EQ(GetBitmapSize(bitmap), CSize(10, 7));
    EXPECT_EQ(bitmap.GetWidth(), 10);
    EXPECT_EQ(bitmap.GetHeight(), 7);
    bitmap.DeleteObject();
    bitmap.Attach(redBlueBitmap());
    {
        CClientDC dc(&window);
        CBitmap empty;
        EXPECT_FALSE(DrawBitmap(&dc, &empty));
        EXPECT_FALSE(DrawBitmap(&dc, nullptr));
        const CRect copy(10, 10, 20, 20), stretched(40, 10, 60, 20), part(0, 0, 5, 10),
            partDestination(30, 30, 35, 40);
        EXPECT_TRUE(DrawBitmap(&dc, &bitmap, &copy));
        EXPECT_TRUE(DrawBitmap(&dc, &bitmap, &stretched));
        EXPECT_TRUE(DrawBitmap(&dc, &bitmap, &partDestination, &part));
    }
    const Picture shot = CaptureClientArea(window);
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

class MemoryContext : public testing::Test {
protected:
    MemoryContext()
    {
        dc.CreateCompatibleDC(nullptr);
        HDC screen = GetDC(nullptr);
        bitmap.Attach(CreateCompatibleBitmap(screen, 40, 40));
        ReleaseDC(nullptr, screen);
        previous = dc.SelectObject(bitmap);
        dc.FillSolidRect(CRect(0, 0, 40, 40), kGreen);
    }
    ~MemoryContext() override { dc.SelectObject(previous); }

    CDC dc;
    CBitmap bitmap;
    HGDIOBJ previous;
};

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
