#include "view/StreamProgressCtrlBase.h"

#include "infra/Logger.h"

#include "TimeModelFixture.h"
#include "tests/support/TempDir.h"

#include <utility>

namespace {

using Window = std::pair<int64_t, int64_t>;

Window window(const CStreamProgressCtrlBase& model)
{
    return {model.visibleStart(), model.visibleEnd()};
}

class TimeModel : public TimeModelSettings {
protected:
    // A minute of stream on 600 pixels: 100 ms per pixel when unzoomed.
    TimeModel()
    {
        model.setRect(0, 0, 600, 100);
        model.setSaved(60000, true);
    }
    CStreamProgressCtrlBase model;
};

} // namespace

TEST_F(TimeModel, TimeAndPixelMapping)
{
    EXPECT_EQ(model.timeToPixel(30000, false), 300);
    EXPECT_EQ(model.timeToPixel(59999, true), 600);
    EXPECT_EQ(model.timeToPixel(59998, false), 599);
    EXPECT_EQ(model.timeToPixel(-5, true), 0);
    EXPECT_EQ(model.timeToPixel(70000, false), 700);
    EXPECT_EQ(model.pixelToTime(300), 30000);
    EXPECT_EQ(model.pixelToTime(600), 59999) << "the right edge is the last millisecond";
    EXPECT_EQ(model.pixelToTime(-50), 0);
    model.setRect(600, 100, 600, 0);
    EXPECT_EQ(model.rect().top, 0) << "stored normalised";
    EXPECT_EQ(model.pixelToTime(123), 0) << "a zero-width rectangle maps to the window start";
    EXPECT_EQ(model.clampX(700), 600);
}

TEST_F(TimeModel, ZoomInHalvesAroundThePositionAndStopsAtMinZoom)
{
    model.zoomIn(45000);
    EXPECT_EQ(window(model), Window(22500, 52500));
    EXPECT_TRUE(model.isZoomed());
    model.zoomIn(45000);
    EXPECT_EQ(window(model), Window(33750, 48750));

    model.setSaved(60000, true);
    model.zoomIn(1000);
    EXPECT_EQ(window(model), Window(500, 30500)) << "the larger right side anchors";
    model.setSaved(60000, true);
    model.zoomIn(59000);
    EXPECT_EQ(window(model), Window(29500, 59500)) << "the left part stays exact";

    model.setSaved(10000, true);
    model.zoomIn(5000);
    EXPECT_EQ(window(model), Window(2000, 8000)) << "factor 1.67, not 2";
    EXPECT_FALSE(model.canZoomIn());
    model.setSaved(6040, true);
    model.zoomIn(3000);
    EXPECT_EQ(window(model), Window(0, 6040));
}

TEST_F(TimeModel, ZoomOutGrowsAroundTheWindowCentre)
{
    model.zoomIn(45000);
    model.zoomIn(45000);
    EXPECT_TRUE(model.zoomOut(0));
    EXPECT_EQ(window(model), Window(26250, 56250));
    EXPECT_TRUE(model.zoomOut(0));
    EXPECT_EQ(window(model), Window(11250, 60000));
    EXPECT_TRUE(model.zoomOut(0));
    EXPECT_EQ(window(model), Window(0, 60000));
    EXPECT_FALSE(model.isZoomed());
    EXPECT_FALSE(model.zoomOut(0));
}

TEST_F(TimeModel, ScrollingStopsAtBothEndsOfTheStream)
{
    model.zoomIn(45000); // (22500, 52500)
    EXPECT_EQ(model.scrollLeft(25), -7500);
    EXPECT_EQ(window(model), Window(15000, 45000));
    model.scrollLeft(25);
    model.scrollLeft(25);
    EXPECT_EQ(window(model), Window(0, 30000));
    EXPECT_EQ(model.scrollLeft(25), 0);
    EXPECT_EQ(model.scrollRight(25), 7500);
    EXPECT_EQ(model.scrollRight(90), 22500);
    EXPECT_EQ(window(model), Window(30000, 60000));
    EXPECT_EQ(model.scrollRight(25), 0);

    EXPECT_EQ(model.scroll(-100000), -30000);
    EXPECT_EQ(window(model), Window(0, 30000));
    EXPECT_EQ(model.scroll(22500), 22500);
    EXPECT_EQ(model.scroll(10000), 7500);
    EXPECT_EQ(window(model), Window(30000, 60000));
    EXPECT_EQ(model.moveWindowToStreamStart(), 30000);
    EXPECT_EQ(window(model), Window(0, 30000));
    EXPECT_EQ(model.moveWindowToStreamStart(), 0);
}

TEST_F(TimeModel, NewLengthKeepsWhatTheUserSees)
{
    model.zoomIn(45000); // (22500, 52500)
    EXPECT_FALSE(model.setSaved(70000, false));
    EXPECT_EQ(window(model), Window(22500, 52500));
    EXPECT_EQ(model.streamEnd(), 70000);
    EXPECT_TRUE(model.setSaved(40000, false));
    EXPECT_EQ(window(model), Window(22500, 40000));
    EXPECT_TRUE(model.setSaved(10000, false));
    EXPECT_EQ(window(model), Window(0, 10000)) << "a window past the end moves back";
    EXPECT_TRUE(model.setSaved(0, false));
    EXPECT_EQ(window(model), Window(0, 1));
    EXPECT_EQ(model.streamEnd(), 1);

    CStreamProgressCtrlBase fresh;
    EXPECT_TRUE(fresh.isEmpty());
    EXPECT_EQ(window(fresh), Window(0, 1)) << "an empty model shows one millisecond";
    EXPECT_EQ(fresh.minZoom(), 6000);
    EXPECT_FALSE(fresh.zoomOut(0)) << "nothing to widen into";
    EXPECT_TRUE(fresh.setSaved(50000, false));
    EXPECT_EQ(window(fresh), Window(0, 50000)) << "the initial window shows the whole stream";
}

TEST_F(TimeModel, AmplitudeMapping)
{
    model.setLogarithmic(false);
    EXPECT_EQ(model.mapAmplitude(-128), -128.0);
    EXPECT_EQ(model.mapAmplitude(127), 127.0);
    model.setLogarithmic(true);
    EXPECT_EQ(model.mapAmplitude(23), 0.0);
    EXPECT_EQ(model.mapAmplitude(-23), 0.0);
    EXPECT_GT(model.mapAmplitude(24), 0.0);
    EXPECT_NEAR(model.mapAmplitude(127), 127.4, 0.5);
    EXPECT_DOUBLE_EQ(model.mapAmplitude(-100), -model.mapAmplitude(100));
    EXPECT_LT(model.mapAmplitude(60), model.mapAmplitude(61));
}

TEST_F(TimeModel, NegativeTimesAreLoggedAndLeftAlone)
{
    TempDir dir;
    CLoggerEx& logger = GetLogger();
    logger.Close();
    logger.SetFilePrefix(dir.file(L"log"));
    logger.SetLevel(LOG_ERROR);
    model.zoomIn(-5);
    model.scroll(0);
    logger.Close();
    logger.SetLevel(LOG_NONE);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(dir.file(L"log*"), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    const std::wstring text = ReadUtf16File(dir.file(found.cFileName));
    EXPECT_NE(text.find(L"negative time values in 'zoomIn time' : -5 555"), std::wstring::npos);
    EXPECT_EQ(text.find(L"scroll times"), std::wstring::npos)
        << "a window inside the stream is fine";
    EXPECT_EQ(window(model), Window(0, 29997)) << "the zoom itself goes on as usual";
}
