#include "axis/Axis.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 50;
constexpr int kSmallMark = 3;
constexpr int kMiddleMark = 6;
constexpr int kBigMark = 10;
constexpr int kLabelTop = 14;
constexpr double kLabelGap = 2.5;
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;

// The steps a time scale may use, in milliseconds; big marks must fall on one
// of them.
const int64_t kRoundSteps[] = {1,      2,      5,      10,     20,      50,      100,     200,
                               500,    1000,   2000,   5000,   10000,   15000,   30000,   60000,
                               120000, 300000, 600000, 900000, 1800000, 3600000, 7200000, 10800000};

LOGFONTW axisFont()
{
    LOGFONTW font{};
    font.lfHeight = -11;
    font.lfWeight = FW_NORMAL;
    wcscpy(font.lfFaceName, L"Tahoma");
    return font;
}

LOGPEN blackPen()
{
    return LOGPEN{PS_SOLID, {1, 0}, RGB(0, 0, 0)};
}

CQTime midnight2000()
{
    return CQTime(2000, 1, 1, 0, 0, 0, 0);
}

CQTime later(const CQTime& time, int64_t milliseconds)
{
    return CQTime(time.milliseconds() + milliseconds);
}

// Exposes the label text of the time axis.
class LabelProbe : public CTimeAxis {
public:
    LabelProbe() : CTimeAxis(axisFont(), blackPen(), blackPen(), kLabelGap) {}
    std::wstring label(int64_t value, int64_t step) const
    {
        wchar_t text[64] = {};
        formatLabel(value, step, text, 64);
        return text;
    }
};

struct Mark {
    int x;
    int length;
};

struct LabelBox {
    int left;
    int right; // exclusive
};

// A white 32-bit memory bitmap the axis paints into, read back pixel by pixel.
class Canvas {
public:
    Canvas()
    {
        m_dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits),
                                    nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
        fill(kWhite);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    void fill(COLORREF color)
    {
        GdiFlush();
        const DWORD pixel = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
        std::fill(m_bits, m_bits + kWidth * kHeight, pixel);
    }
    COLORREF pixel(int x, int y) const
    {
        GdiFlush();
        const DWORD p = m_bits[y * kWidth + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool inked(int x, int y) const { return pixel(x, y) != kWhite; }
    bool dark(int x, int y) const
    {
        const COLORREF p = pixel(x, y);
        return GetRValue(p) + GetGValue(p) + GetBValue(p) < 3 * 128;
    }
    bool blankOutside(const RECT& area) const
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (!PtInRect(&area, POINT{x, y}) && inked(x, y))
                    return false;
        return true;
    }

    // Marks hang from the axis line in row 0; a mark is a column dark in row 1.
    std::vector<Mark> marks() const
    {
        std::vector<Mark> found;
        for (int x = 0; x < kWidth; ++x) {
            int length = 1;
            while (length < kLabelTop && dark(x, length))
                ++length;
            if (length > 1)
                found.push_back({x, length});
        }
        return found;
    }
    // Runs of inked columns in the label band, letters closer than 6 pixels
    // (smoothed ones included) taken as one label.
    std::vector<LabelBox> labels() const
    {
        std::vector<LabelBox> found;
        for (int x = 0; x < kWidth; ++x) {
            bool column = false;
            for (int y = kLabelTop; y < kHeight && !column; ++y)
                column = inked(x, y);
            if (!column)
                continue;
            if (!found.empty() && x - found.back().right < 6)
                found.back().right = x + 1;
            else
                found.push_back({x, x + 1});
        }
        return found;
    }
    // Appends this canvas below the picture's rows.
    void appendTo(Picture& picture) const
    {
        picture.width = kWidth;
        picture.height += kHeight;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                picture.pixels.push_back(pixel(x, y));
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    DWORD* m_bits = nullptr;
};

const RECT kAxisRect{0, 0, kWidth, kHeight};

void paintAxis(CTimeAxis& axis, Canvas& canvas, const CQTime& left, const CQTime& right)
{
    axis.SetAxisParamsEx(kSmallMark, kMiddleMark, kBigMark, kLabelTop);
    axis.SetBorders(left, right);
    axis.Paint(canvas.dc(), kAxisRect, kAxisRect, false);
}

class TimeAxisTest : public testing::Test {
protected:
    void SetUp() override { Axis_SetMode(AXIS_MODE_CLOCK); }
    void TearDown() override { Axis_SetMode(AXIS_MODE_CLOCK); }

    CTimeAxis axis{axisFont(), blackPen(), blackPen(), kLabelGap};
    Canvas canvas;
};

} // namespace

TEST(QTimeTest, LocalCalendarTimeReadsBackOnTheLocalClock)
{
    // 2000-01-01 00:00 on the clock is 946684800 s after the epoch's clock
    // midnight, whatever the time zone.
    EXPECT_EQ(midnight2000().localClockMilliseconds(), 946684800000LL);
    EXPECT_EQ(CQTime(2000, 1, 1, 1, 2, 3, 456).localClockMilliseconds() -
                  midnight2000().localClockMilliseconds(),
              3723456);
    EXPECT_EQ(CQTime(2000, 1, 2, 0, 0, 0, 0).milliseconds() - midnight2000().milliseconds(),
              24 * kHour);
}

TEST(TimeAxisLabelTest, LabelsShowAsManyPlacesAsTheStepNeeds)
{
    LabelProbe probe;
    const int64_t t = 3723456; // 01:02:03.456
    EXPECT_EQ(probe.label(t, kHour), L"01:02");
    EXPECT_EQ(probe.label(t, kMinute), L"01:02");
    EXPECT_EQ(probe.label(t, 5 * kSecond), L"01:02:03");
    EXPECT_EQ(probe.label(t, 500), L"01:02:03.4");
    EXPECT_EQ(probe.label(t, 20), L"01:02:03.45");
    EXPECT_EQ(probe.label(t, 5), L"01:02:03.456");
}

TEST(TimeAxisLabelTest, ClockHoursWrapAtMidnightElapsedHoursDoNot)
{
    LabelProbe probe;
    probe.SetBorders(midnight2000(), later(midnight2000(), kHour));
    EXPECT_EQ(probe.label(25 * kHour + 30 * kMinute, kMinute), L"01:30");

    Axis_SetMode(AXIS_MODE_ELAPSED);
    Axis_SetMode(7);
    EXPECT_EQ(Axis_GetMode(), AXIS_MODE_ELAPSED) << "unknown modes are ignored";
    probe.SetBorders(midnight2000(), later(midnight2000(), kHour));
    Axis_SetMode(AXIS_MODE_CLOCK);
    EXPECT_EQ(Axis_GetMode(), AXIS_MODE_CLOCK);
    EXPECT_EQ(probe.label(25 * kHour + 30 * kMinute, kMinute), L"25:30");
}

// Spans from a tenth of a second to three hours, each painted over 1000
// pixels; the marks stay evenly spaced and readable, the big marks fall on
// round steps, and every label sits apart from its neighbours.
TEST_F(TimeAxisTest, ScaleAdaptsToTheSpanWithoutCrowdingLabels)
{
    const int64_t spans[] = {100,          1 * kSecond, 10 * kSecond, kMinute,
                             10 * kMinute, kHour,       3 * kHour};
    const CQTime start = CQTime(2000, 1, 1, 0, 0, 7, 250);
    Picture picture;
    int64_t previousBigStep = 0;
    for (int64_t span : spans) {
        SCOPED_TRACE(testing::Message() << "span " << span << " ms");
        canvas.fill(kWhite);
        paintAxis(axis, canvas, start, later(start, span));
        canvas.appendTo(picture);

        for (int x = 0; x < kWidth; ++x)
            ASSERT_TRUE(canvas.dark(x, 0)) << "axis line broken at " << x;

        const std::vector<Mark> marks = canvas.marks();
        ASSERT_GE(marks.size(), 5u);
        const int smallSpacing = marks[1].x - marks[0].x;
        EXPECT_GE(smallSpacing, 4) << "marks closer than a character";
        for (size_t i = 1; i < marks.size(); ++i)
            EXPECT_NEAR(marks[i].x - marks[i - 1].x, smallSpacing, 1) << "uneven at " << marks[i].x;

        std::vector<int> bigMarks;
        for (const Mark& mark : marks) {
            EXPECT_TRUE(mark.length == kSmallMark || mark.length == kMiddleMark ||
                        mark.length == kBigMark)
                << "mark of length " << mark.length << " at " << mark.x;
            if (mark.length == kBigMark)
                bigMarks.push_back(mark.x);
        }
        ASSERT_GE(bigMarks.size(), 2u);
        const double bigStep =
            static_cast<double>(bigMarks[1] - bigMarks[0]) * static_cast<double>(span) / kWidth;
        const auto round =
            std::find_if(std::begin(kRoundSteps), std::end(kRoundSteps), [&](int64_t step) {
                return std::abs(step - bigStep) < step * 0.01 + 0.5;
            });
        ASSERT_NE(round, std::end(kRoundSteps)) << "big marks " << bigStep << " ms apart";
        EXPECT_GT(*round, previousBigStep) << "a longer span needs coarser labels";
        previousBigStep = *round;

        const std::vector<LabelBox> labels = canvas.labels();
        EXPECT_GE(labels.size() + 2, bigMarks.size()) << "labels missing under big marks";
        EXPECT_LE(labels.size(), bigMarks.size());
        for (size_t i = 1; i < labels.size(); ++i)
            EXPECT_GE(labels[i].left - labels[i - 1].right, 10)
                << "labels crowd at " << labels[i].left;
        for (const LabelBox& label : labels) {
            EXPECT_GE(label.left, 0);
            EXPECT_LE(label.right, kWidth);
            const int centre = (label.left + label.right) / 2;
            EXPECT_TRUE(std::any_of(bigMarks.begin(), bigMarks.end(),
                                    [&](int x) { return std::abs(x - centre) <= 3; }))
                << "label at " << label.left << " under no big mark";
        }
    }
    SaveScreenshot(picture, L"axis-spans");
}

TEST_F(TimeAxisTest, ClockMarksFallOnRoundTimesElapsedMarksOnTheLeftBorder)
{
    // 10 s over 1000 pixels: 100 pixels per second, the left border 0.3 s past
    // a full second.
    const CQTime left = CQTime(2000, 1, 1, 10, 0, 0, 300);
    for (const auto& [mode, firstBig] : {std::pair{AXIS_MODE_CLOCK, 70}, {AXIS_MODE_ELAPSED, 0}}) {
        Axis_SetMode(mode);
        canvas.fill(kWhite);
        paintAxis(axis, canvas, left, later(left, 10 * kSecond));
        const std::vector<Mark> marks = canvas.marks();
        const auto big = std::find_if(marks.begin(), marks.end(),
                                      [](const Mark& m) { return m.length == kBigMark; });
        ASSERT_NE(big, marks.end());
        EXPECT_EQ(big->x, firstBig) << "mode " << mode;
    }
}

TEST_F(TimeAxisTest, PaintKeepsToTheUpdateRectangleAndItsPensAndAnEmptyRangeDrawsNothing)
{
    const LOGPEN red{PS_SOLID, {1, 0}, RGB(255, 0, 0)};
    axis.SetAxisParams(axisFont(), red, red, kLabelGap);
    axis.SetAxisParamsEx(kSmallMark, kMiddleMark, kBigMark, kLabelTop);
    axis.SetBorders(midnight2000(), later(midnight2000(), kMinute));
    const RECT update{0, 0, kWidth / 2, kHeight};
    axis.Paint(canvas.dc(), kAxisRect, update, false);
    EXPECT_TRUE(canvas.blankOutside(update));
    EXPECT_EQ(canvas.pixel(kWidth / 4, 0), RGB(255, 0, 0)) << "the axis line in the new pen";

    // Erasing fills the axis with the background colour.
    canvas.fill(RGB(255, 0, 255));
    SetBkColor(canvas.dc(), kWhite);
    axis.Paint(canvas.dc(), kAxisRect, kAxisRect, true);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_NE(canvas.pixel(x, y), RGB(255, 0, 255)) << x << "," << y;

    for (const int64_t span : {0, -1000}) {
        canvas.fill(kWhite);
        paintAxis(axis, canvas, midnight2000(), later(midnight2000(), span));
        EXPECT_TRUE(canvas.blankOutside(RECT{})) << "span " << span;
    }
}
