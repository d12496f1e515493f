#include "StreamViewFixture.h"

#include "view/StreamPainter.h"
#include "view/TimeParts.h"

namespace {

using namespace SkinGeometry;

// The first row of the mark band, from the top, that shows the cut fill;
// the mark rectangle and the zero line of the silence are drawn over it.
int topOfFill(const Picture& picture, int x)
{
    for (int y = markTop; y <= markBottom; ++y)
        if (y != markTop + 1 && y != markBottom && y != waveCentre &&
            picture.at(x, y) == SkinColour::cutMiddle)
            return y;
    return markBottom + 1;
}

std::vector<int> waveformRows(const Picture& picture, int x)
{
    std::vector<int> rows;
    for (int y = 0; y < height; ++y)
        if (picture.at(x, y) == SkinColour::waveform)
            rows.push_back(y);
    return rows;
}

using StreamViewPaint = StreamViewTest;

TEST_F(StreamViewPaint, EachBackgroundIsPaintedWithNothingLeftOfTheOneBefore)
{
    Picture picture = capture();
    const int descLeft = (width - emptyDescWidth) / 2;
    const int descTop = (height - emptyDescHeight) / 2;
    const int descArea = emptyDescWidth * emptyDescHeight;
    const RECT desc{descLeft, descTop, descLeft + emptyDescWidth, descTop + emptyDescHeight};
    EXPECT_EQ(picture.count(SkinColour::emptyDesc, desc), descArea);
    EXPECT_EQ(picture.count(SkinColour::emptyDesc), descArea);
    // The one-pixel tile at width - margin covers the right margin's first column.
    EXPECT_EQ(picture.count(SkinColour::margin), (2 * margin - 1) * height);
    EXPECT_EQ(picture.count(SkinColour::centreEmpty), (width - 2 * margin + 1) * height - descArea);
    EXPECT_EQ(picture.count(SkinColour::text), 0) << "no position texts without a stream";

    openSilence(60000);
    picture = capture();
    EXPECT_EQ(picture.at(width - margin, 5), SkinColour::centre);
    EXPECT_EQ(picture.at(margin, 5), SkinColour::stream);
    EXPECT_EQ(picture.count(SkinColour::centreEmpty) + picture.count(SkinColour::emptyDesc), 0);

    // A narrower, taller view with an opaque cursor of its full height over
    // background bitmaps that stop short of it.
    constexpr COLORREF newMargin = RGB(90, 0, 90);
    constexpr COLORREF newCentre = RGB(0, 90, 90);
    constexpr COLORREF newStream = RGB(90, 90, 0);
    constexpr COLORREF newCursor = RGB(0, 120, 255);
    constexpr int newWidth = 500;
    constexpr int newHeight = 140;
    constexpr int covered = 120;
    skin.section(L"[mv_stream_view]").rects[L"position"] = {10, 10, 10 + newWidth, 10 + newHeight};
    skinBitmap(L"bitmap_margin", newMargin, margin, covered);
    skinBitmap(L"bitmap_center", newCentre, 1, covered);
    skinBitmap(L"bitmap_stream", newStream, 4, covered);
    skinBitmap(L"bitmap_curpos", newCursor, 5, newHeight);
    ASSERT_TRUE(view.loadSkin(skin));
    view.applySkin();

    const int begin = pixelOf(document.cutRegion().begin);
    ASSERT_GT(begin, margin + 10);
    const int before = view.positionLayer().posPixel();
    picture = capture();
    ASSERT_EQ(picture.width, newWidth);
    ASSERT_EQ(picture.height, newHeight);
    EXPECT_EQ(picture.at(margin - 1, 5), newMargin);
    EXPECT_EQ(picture.at(newWidth - margin, 5), newCentre);
    EXPECT_EQ(picture.at(newWidth - margin + 1, 5), newMargin);
    EXPECT_EQ(picture.at(margin + 2, 5), newStream);
    for (int x = before - 2; x <= before + 2; ++x)
        for (int y : {0, covered - 1, covered, newHeight - 1})
            ASSERT_EQ(picture.at(x, y), newCursor) << x << "," << y;
    EXPECT_NE(picture.at(before - 3, 5), newCursor);
    EXPECT_NE(picture.at(before + 3, 5), newCursor);
    for (int x : {0, margin + 2, newWidth - 1})
        EXPECT_EQ(picture.at(x, covered), RGB(0, 0, 0)) << "uncovered row at " << x;

    // The next frame draws the cursor elsewhere: below the bitmaps its old
    // place is black again.
    clickSlider(begin - 5);
    const int after = view.positionLayer().posPixel();
    ASSERT_LT(after, before - 10);
    picture = capture();
    for (int y : {5, covered, newHeight - 1})
        EXPECT_EQ(picture.at(after, y), newCursor) << "new place, row " << y;
    EXPECT_EQ(picture.at(before, 5), picture.at(before + 3, 5));
    for (int x = before - 2; x <= before + 2; ++x)
        for (int y = covered; y < newHeight; ++y)
            ASSERT_EQ(picture.at(x, y), RGB(0, 0, 0)) << "old place " << x << "," << y;
}

TEST_F(StreamViewPaint, CutHasOneColumnEdgesAndAFadeInRampRisesFromMarkBottomToMarkTop)
{
    openSilence(60000);
    const CCutRegion& cut = document.cutRegion();
    ASSERT_TRUE(cut.valid);
    const int begin = pixelOf(cut.begin);
    const int end = pixelOf(cut.end);
    ASSERT_GT(end - begin, 20);
    Picture picture = capture();
    for (int y : {2, 15}) {
        EXPECT_EQ(picture.at(begin - 1, y), SkinColour::stream);
        EXPECT_EQ(picture.at(begin, y), SkinColour::cutLeft);
        for (int x = begin + 1; x < end - 1; ++x)
            ASSERT_EQ(picture.at(x, y), SkinColour::cutMiddle) << "x " << x << " y " << y;
        EXPECT_EQ(picture.at(end - 1, y), SkinColour::cutRight);
        EXPECT_EQ(picture.at(end, y), SkinColour::stream);
    }
    // The mark rectangle outlines the cut inside the band.
    EXPECT_EQ(picture.at(begin, markTop + 1), SkinColour::markRect);
    EXPECT_EQ(picture.at((begin + end) / 2, markBottom), SkinColour::markRect);
    EXPECT_EQ(picture.at(end, (markTop + markBottom) / 2 + 3), SkinColour::markRect);

    clickSlider(pixelOf((cut.begin + cut.end) / 2));
    command(ID_VIEW_FADE_IN);
    ASSERT_EQ(cut.fadeInEnd(), pos());
    const int fadeInEnd = pixelOf(cut.fadeInEnd());
    ASSERT_GT(fadeInEnd - begin, 20);
    picture = capture();
    EXPECT_GE(topOfFill(picture, begin + 1), markBottom - 3) << "the ramp starts at the bottom";
    EXPECT_LE(topOfFill(picture, fadeInEnd), markTop + 2) << "and ends at the top";
    for (int x = begin + 2; x <= fadeInEnd; ++x)
        ASSERT_LE(topOfFill(picture, x), topOfFill(picture, x - 1)) << "rising at x " << x;
    const int middle = (begin + fadeInEnd) / 2;
    EXPECT_NEAR(topOfFill(picture, middle), (markTop + markBottom) / 2, 2);
    EXPECT_EQ(picture.at(middle, markTop + 3), SkinColour::stream) << "above the ramp";
    EXPECT_EQ(picture.at(middle, 2), SkinColour::stream);
    EXPECT_EQ(picture.at(fadeInEnd + 1, 2), SkinColour::cutMiddle) << "full fill after the fade";
    EXPECT_EQ(picture.count(SkinColour::cutLeft), 0) << "a ramp replaces the left edge";
}

TEST_F(StreamViewPaint, ColumnModeSpansEachColumnsExtremesAndSilenceIsOnePixelAtZero)
{
    // 580 pixels of 30 values each; loud in the first half, silent after.
    const int64_t frames = 580 * 30;
    open(writeWav(L"columns.wav", frames, [&](int64_t k) {
        if (k >= frames / 2)
            return 0;
        const int phase = static_cast<int>(k % 30);
        return phase >= 5 && phase <= 7 ? 100 : phase >= 18 && phase <= 20 ? -60 : 20;
    }));
    const Picture picture = capture();
    // Linear mapping onto a half height of 30: 100 -> 23 below, -60 -> 14 above.
    const int cutBegin = pixelOf(document.cutRegion().begin);
    const int cutEnd = pixelOf(document.cutRegion().end);
    for (int x = margin + 5; x < pixelOf(frames * 10 / 2) - 2; ++x) {
        if (x == cutBegin || x == cutEnd)
            continue;
        const std::vector<int> rows = waveformRows(picture, x);
        ASSERT_FALSE(rows.empty()) << "x " << x;
        EXPECT_EQ(rows.front(), waveCentre - 14) << "x " << x;
        EXPECT_EQ(rows.back(), waveCentre + 22) << "x " << x;
        EXPECT_EQ(rows.size(), 37u) << "one unbroken column at x " << x;
    }
    for (int x = pixelOf(frames * 10 / 2) + 2; x < width - margin - 2; ++x)
        ASSERT_EQ(waveformRows(picture, x), std::vector<int>{waveCentre}) << "x " << x;
}

TEST(StreamViewTexts, TimesReadAsClockTimesAndCalendarDatesFrom2000)
{
    const int64_t day = 86400000LL;
    const int64_t oneOfEach = day + 3600000 + 60000 + 1000 + 1;
    EXPECT_STREQ(positionText(oneOfEach), L"Current Position: 01:01:01.001")
        << "the day is dropped";
    EXPECT_STREQ(positionText(0), L"Current Position: 00:00:00.000");
    CCutRegion cut;
    cut.setEnd(61999);
    EXPECT_STREQ(trackLengthText(cut), L"Track length: 01:01");
    EXPECT_STREQ(trackLengthText(CCutRegion()), L"Track length: 00:00");

    const std::pair<int64_t, CTimeParts> dates[] = {
        {-1, CTimeParts()},
        {oneOfEach, {2000, 1, 2, 1, 1, 1, 1}},
        {59 * day, {2000, 2, 29, 0, 0, 0, 0}}, // a leap year
        {(366 + 59) * day, {2001, 3, 1, 0, 0, 0, 0}},
        {(366 + 365 * 3 + 365) * day, {2004, 12, 31, 0, 0, 0, 0}},
    };
    for (const auto& [t, parts] : dates)
        EXPECT_EQ(timeToCalendar(t), parts) << t;
}

TEST_F(StreamViewPaint, PositionTextIsDrawnInTheSkinsFontCentredOverTheTextRectangle)
{
    openSilence(60000);
    const Picture picture = capture();
    // The text's extent in the skin's font.
    const CString text = positionText(pos());
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectW(&skin.section(L"[mv_stream_view]").fonts[L"font_position"]);
    SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, text.GetLength(), &extent);
    DeleteDC(dc);
    DeleteObject(font);

    // The ink fills that extent centred over the rectangle, with none just
    // beside it (the track length text is further right).
    const RECT& textRect = view.positionLayer().textRect();
    const int left = (textRect.left + textRect.right - extent.cx) / 2;
    const LONG bottom = std::min<LONG>(positionTextY + extent.cy, height);
    const int inked =
        picture.count(SkinColour::text, RECT{left, positionTextY, left + extent.cx, bottom});
    EXPECT_GT(inked, 50);
    const RECT beside{left - 6, 0, left + extent.cx + 6, height};
    EXPECT_EQ(picture.count(SkinColour::text, beside), inked);
    // The ink starts and ends at the extent's ends, give or take the side
    // bearings of the font the system gives for the skin's description.
    const std::vector<RECT> ink = InkRuns(
        picture, beside, [](COLORREF c) { return c == SkinColour::text; }, width);
    ASSERT_EQ(ink.size(), 1u);
    EXPECT_LE(std::abs(ink[0].left - left), 3);
    EXPECT_LE(std::abs(ink[0].right - (left + extent.cx)), 8);
}

} // namespace
