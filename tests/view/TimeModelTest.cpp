#include "view/StreamProgressCtrl.h"

#include "infra/Settings.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using Window = std::pair<int64_t, int64_t>;

Window window(const CStreamProgressCtrlBase& model)
{
    return {model.visibleStart(), model.visibleEnd()};
}

// A minute on 600 pixels: the model unzoomed at 100 ms per pixel, the control zoomed to
// (22500, 52500) at 50 ms per pixel; a minimum zoom of 6 s declared before either is made.
class TimeModel : public testing::Test {
protected:
    TimeModel()
    {
        model.setRect(0, 0, 600, 100);
        model.setSaved(60000, true);
        ctrl.setRect(0, 0, 600, 100);
        ctrl.setSliderRect(0, 100, 600, 120);
        ctrl.setLength(60000, true);
        ctrl.setPosition(45000);
        ctrl.zoomIn();
    }
    EditorSettings settings{{L"MV_Settings", L"MinZoomSec", L"6"}};
    CStreamProgressCtrlBase model;
    CStreamProgressCtrl ctrl;
};
using PositionLayer = TimeModel;

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

TEST_F(TimeModel, ZoomInHalvesAroundThePositionToMinZoomAndZoomOutGrowsAroundTheCentre)
{
    model.zoomIn(45000); // (22500, 52500), as the other cases rely on
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

    model.setSaved(60000, true);
    model.zoomIn(45000);
    model.zoomIn(45000);
    EXPECT_TRUE(model.zoomOut(0));
    EXPECT_EQ(window(model), Window(26250, 56250));
    EXPECT_TRUE(model.zoomOut(0));
    EXPECT_EQ(window(model), Window(11250, 60000));
    EXPECT_TRUE(model.zoomOut(0));
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
    EXPECT_FALSE(fresh.zoomOut(0)) << "nothing to widen into";
    EXPECT_TRUE(fresh.setSaved(50000, false));
    EXPECT_EQ(window(fresh), Window(0, 50000)) << "the initial window shows the whole stream";
}

// A fade that gives way to the one set after it: SettingsStore.StoredCutText...;
// fades that touch stay: StreamViewInteraction.DraggedCutKeepsLengthAndFades...
TEST(CutRegion, FadesStayInsideTheCutAndApart)
{
    CCutRegion cut;
    cut.setBegin(10000);
    cut.setEnd(20000);
    ASSERT_TRUE(cut.validate());
    cut.setFadeOut(3000);
    cut.setFadeIn(50000);
    EXPECT_EQ(cut.fadeIn, 10000);
    EXPECT_EQ(cut.fadeOut, 0);
    EXPECT_TRUE(cut.contains(10000));
    EXPECT_FALSE(cut.contains(20000));
}

TEST_F(PositionLayer, ScrollZonesMoveWindowAndPosition)
{
    ctrl.setPosition(30000);
    EXPECT_EQ(ctrl.hitTest(3002, 3002), CStreamProgressCtrl::HitScrollLeft);
    EXPECT_EQ(window(ctrl.model()), Window(15000, 45000));
    EXPECT_EQ(ctrl.getPos(), 22500);
    ctrl.hitTest(3002, 3002);
    ctrl.hitTest(3002, 3002);
    ctrl.setPosition(1000);
    EXPECT_EQ(ctrl.hitTest(3002, 3002), CStreamProgressCtrl::HitScrollLeft);
    EXPECT_EQ(ctrl.getPos(), 0) << "at the stream start the position goes to the start";

    EXPECT_EQ(ctrl.hitTest(3005, 3005), CStreamProgressCtrl::HitScrollRight);
    EXPECT_EQ(window(ctrl.model()), Window(7500, 37500));
    EXPECT_EQ(ctrl.getPos(), 7500);
    ctrl.model().scroll(100000);
    EXPECT_EQ(ctrl.hitTest(3005, 3005), CStreamProgressCtrl::HitScrollRight);
    EXPECT_EQ(ctrl.getPos(), 59999);
}

TEST_F(PositionLayer, HitTestOrderAndPanning)
{
    EXPECT_EQ(ctrl.hitTest(700, 50), CStreamProgressCtrl::HitNone);
    EXPECT_EQ(ctrl.hitTest(300, 110), CStreamProgressCtrl::HitSlider);
    EXPECT_EQ(ctrl.getPos(), 37500);
    EXPECT_EQ(ctrl.posPixel(), 300);
    EXPECT_EQ(ctrl.hitTest(600, 120), CStreamProgressCtrl::HitNone)
        << "the slider excludes its right and bottom edges";

    EXPECT_FALSE(ctrl.panTo(400, 50)) << "no pan before a mouse-down in the rectangle";
    EXPECT_EQ(ctrl.hitTest(600, 100), CStreamProgressCtrl::HitPan) << "the rectangle is inclusive";
    ctrl.endPan();
    EXPECT_EQ(ctrl.hitTest(300, 50), CStreamProgressCtrl::HitPan);
    EXPECT_TRUE(ctrl.isPanning());
    EXPECT_FALSE(ctrl.panTo(310, 50));
    EXPECT_EQ(window(ctrl.model()), Window(22500, 52500));
    EXPECT_TRUE(ctrl.panTo(311, 50));
    EXPECT_EQ(window(ctrl.model()), Window(21950, 51950)) << "dragging right shows earlier times";
    EXPECT_EQ(ctrl.getPos(), 37500 - 550);
    EXPECT_FALSE(ctrl.panTo(320, 50)) << "steps count from the last pan";
    ctrl.endPan();
    EXPECT_FALSE(ctrl.panTo(100, 50));
}
