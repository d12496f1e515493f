#include "axis/Axis.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>

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

const LOGFONTW kAxisFont{-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"};
const LOGPEN kBlackPen{PS_SOLID, {1, 0}, RGB(0, 0, 0)};

CQTime later(const CQTime& time, int64_t milliseconds)
{
    return CQTime(time.milliseconds() + milliseconds);
}

class LabelProbe : public CTimeAxis {
public:
    LabelProbe() : CTimeAxis(kAxisFont, kBlackPen, kBlackPen, kLabelGap) {}
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

Picture paintAxis(CTimeAxis& axis, const CQTime& left, const CQTime& right)
{
    axis.SetAxisParamsEx(kSmallMark, kMiddleMark, kBigMark, kLabelTop);
    axis.SetBorders(left, right);
    const RECT all{0, 0, kWidth, kHeight};
    return PaintedPicture(SIZE{kWidth, kHeight}, kWhite,
                          [&](HDC dc) { axis.Paint(dc, all, all, false); });
}

bool dark(const Picture& shot, int x, int y)
{
    const COLORREF p = shot.at(x, y);
    return GetRValue(p) + GetGValue(p) + GetBValue(p) < 3 * 128;
}

// Marks hang from the axis line in row 0; a mark is a column dark in row 1.
std::vector<Mark> marks(const Picture& shot)
{
    std::vector<Mark> found;
    for (int x = 0; x < kWidth; ++x) {
        int length = 1;
        while (length < kLabelTop && dark(shot, x, length))
            ++length;
        if (length > 1)
            found.push_back({x, length});
    }
    return found;
}

class TimeAxisTest : public testing::Test {
protected:
    void SetUp() override { Axis_SetMode(AXIS_MODE_CLOCK); }
    void TearDown() override { Axis_SetMode(AXIS_MODE_CLOCK); }

    LabelProbe axis;
};

} // namespace

// Clock hours wrap at midnight, elapsed hours do not.
TEST_F(TimeAxisTest, LabelsShowAsManyPlacesAsTheStepNeedsAndTheHoursOfTheMode)
{
    const int64_t t = 3723456; // 01:02:03.456
    EXPECT_EQ(axis.label(t, kHour), L"01:02");
    EXPECT_EQ(axis.label(t, kMinute), L"01:02");
    EXPECT_EQ(axis.label(t, 5 * kSecond), L"01:02:03");
    EXPECT_EQ(axis.label(t, 500), L"01:02:03.4");
    EXPECT_EQ(axis.label(t, 20), L"01:02:03.45");
    EXPECT_EQ(axis.label(t, 5), L"01:02:03.456");

    const CQTime midnight(2000, 1, 1, 0, 0, 0, 0);
    axis.SetBorders(midnight, later(midnight, kHour));
    EXPECT_EQ(axis.label(25 * kHour + 30 * kMinute, kMinute), L"01:30");

    Axis_SetMode(AXIS_MODE_ELAPSED);
    Axis_SetMode(7);
    EXPECT_EQ(Axis_GetMode(), AXIS_MODE_ELAPSED) << "unknown modes are ignored";
    axis.SetBorders(midnight, later(midnight, kHour));
    Axis_SetMode(AXIS_MODE_CLOCK);
    EXPECT_EQ(Axis_GetMode(), AXIS_MODE_CLOCK);
    EXPECT_EQ(axis.label(25 * kHour + 30 * kMinute, kMinute), L"25:30");
}

// Spans from a tenth of a second to three hours, each painted over 1000
// pixels; the marks stay evenly spaced and readable, the big marks fall on
// round steps, and every label sits apart from its neighbours.
TEST_F(TimeAxisTest, ScaleAdaptsToTheSpanWithoutCrowdingLabels)
{
    const int64_t spans[] = {100,          1 * kSecond, 10 * kSecond, kMinute,
                             10 * kMinute, kHour,       3 * kHour};
    const CQTime start = CQTime(2000, 1, 1, 0, 0, 7, 250);
    int64_t previousBigStep = 0;
    for (int64_t span : spans) {
        SCOPED_TRACE(testing::Message() << "span " << span << " ms");
        const Picture shot = paintAxis(axis, start, later(start, span));
        for (int x = 0; x < kWidth; ++x)
            ASSERT_TRUE(dark(shot, x, 0)) << "axis line broken at " << x;

        const std::vector<Mark> found = marks(shot);
        ASSERT_GE(found.size(), 5u);
        const int smallSpacing = found[1].x - found[0].x;
        EXPECT_GE(smallSpacing, 4) << "marks closer than a character";
        for (size_t i = 1; i < found.size(); ++i)
            EXPECT_NEAR(found[i].x - found[i - 1].x, smallSpacing, 1) << "uneven at " << found[i].x;

        std::vector<int> bigMarks;
        for (const Mark& mark : found) {
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

        // Letters closer than 5 blank columns (smoothed ones included) make one label.
        const std::vector<RECT> boxes = InkRuns(
            shot, RECT{0, kLabelTop, kWidth, kHeight}, [](COLORREF c) { return c != kWhite; }, 4);
        EXPECT_GE(boxes.size() + 2, bigMarks.size()) << "labels missing under big marks";
        EXPECT_LE(boxes.size(), bigMarks.size());
        for (size_t i = 1; i < boxes.size(); ++i)
            EXPECT_GE(boxes[i].left - boxes[i - 1].right, 10)
                << "labels crowd at " << boxes[i].left;
        for (const RECT& label : boxes) {
            const int centre = (label.left + label.right) / 2;
            EXPECT_TRUE(std::any_of(bigMarks.begin(), bigMarks.end(),
                                    [&](int x) { return std::abs(x - centre) <= 3; }))
                << "label at " << label.left << " under no big mark";
        }
    }
}

TEST_F(TimeAxisTest, ClockMarksFallOnRoundTimesElapsedMarksOnTheLeftBorder)
{
    // 10 s over 1000 pixels: 100 pixels per second, the left border 0.3 s past
    // a full second.
    const CQTime left = CQTime(2000, 1, 1, 10, 0, 0, 300);
    for (const auto& [mode, firstBig] : {std::pair{AXIS_MODE_CLOCK, 70}, {AXIS_MODE_ELAPSED, 0}}) {
        Axis_SetMode(mode);
        const std::vector<Mark> found = marks(paintAxis(axis, left, later(left, 10 * kSecond)));
        const auto big = std::find_if(found.begin(), found.end(),
                                      [](const Mark& m) { return m.length == kBigMark; });
        ASSERT_NE(big, found.end());
        EXPECT_EQ(big->x, firstBig) << "mode " << mode;
    }
}
