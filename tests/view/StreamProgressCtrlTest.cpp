#include "view/StreamProgressCtrl.h"

#include "TimeModelFixture.h"

namespace {

using Window = std::pair<int64_t, int64_t>;

class PositionLayer : public TimeModelSettings {
protected:
    // A minute on 600 pixels, zoomed to (22500, 52500): 50 ms per pixel.
    PositionLayer()
    {
        ctrl.setRect(0, 0, 600, 100);
        ctrl.setSliderRect(0, 100, 600, 120);
        ctrl.setLength(60000, true);
        ctrl.setPosition(45000);
        ctrl.zoomIn();
    }
    Window window() const { return {ctrl.model().visibleStart(), ctrl.model().visibleEnd()}; }
    CStreamProgressCtrl ctrl;
};

} // namespace

TEST_F(PositionLayer, ScrollZonesMoveWindowAndPosition)
{
    ctrl.setPosition(30000);
    EXPECT_EQ(ctrl.hitTest(3002, 3002), CStreamProgressCtrl::HitScrollLeft);
    EXPECT_EQ(window(), Window(15000, 45000));
    EXPECT_EQ(ctrl.getPos(), 22500);
    ctrl.hitTest(3002, 3002);
    ctrl.hitTest(3002, 3002);
    ctrl.setPosition(1000);
    EXPECT_EQ(ctrl.hitTest(3002, 3002), CStreamProgressCtrl::HitScrollLeft);
    EXPECT_EQ(ctrl.getPos(), 0) << "at the stream start the position goes to the start";

    EXPECT_EQ(ctrl.hitTest(3005, 3005), CStreamProgressCtrl::HitScrollRight);
    EXPECT_EQ(window(), Window(7500, 37500));
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
    EXPECT_EQ(window(), Window(22500, 52500));
    EXPECT_TRUE(ctrl.panTo(311, 50));
    EXPECT_EQ(window(), Window(21950, 51950)) << "dragging right shows earlier times";
    EXPECT_EQ(ctrl.getPos(), 37500 - 550);
    EXPECT_FALSE(ctrl.panTo(320, 50)) << "steps count from the last pan";
    ctrl.endPan();
    EXPECT_FALSE(ctrl.panTo(100, 50));
}

TEST_F(PositionLayer, EnsurePosVisiblePagesOrJumps)
{
    EXPECT_FALSE(ctrl.ensurePosVisible(30000));
    EXPECT_EQ(ctrl.getPos(), 30000);
    EXPECT_TRUE(ctrl.isTimeVisible(52500));
    EXPECT_FALSE(ctrl.isTimeVisible(52501));

    EXPECT_TRUE(ctrl.ensurePosVisible(53000));
    EXPECT_EQ(window(), Window(30000, 60000)) << "paged forward";
    EXPECT_EQ(ctrl.getPos(), 53000);

    EXPECT_TRUE(ctrl.ensurePosVisible(1000));
    EXPECT_EQ(window(), Window(1000, 31000));
    EXPECT_EQ(ctrl.getPos(), 1000);

    ctrl.model().moveWindowToStreamStart(); // (0, 30000)
    EXPECT_TRUE(ctrl.ensurePosVisible(59999));
    EXPECT_EQ(window(), Window(29999, 59999));
    EXPECT_EQ(ctrl.getPos(), 59998) << "the position stays inside the window";
}

TEST_F(PositionLayer, CutRectangleInPixels)
{
    ctrl.setRect(0, 10, 600, 100);
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_FALSE(ctrl.cutPixelRect(left, top, right, bottom)) << "no valid cut";
    CCutRegion cut;
    cut.setBegin(30000);
    cut.setEnd(40000);
    ASSERT_TRUE(cut.validate());
    ctrl.model().setCut(cut);
    ASSERT_TRUE(ctrl.cutPixelRect(left, top, right, bottom));
    EXPECT_EQ(left, 150);
    EXPECT_EQ(right, 350);
    EXPECT_EQ(top, 11);
    EXPECT_EQ(bottom, 100);

    cut.setBegin(52500);
    cut.setEnd(55000);
    cut.validate();
    ctrl.model().setCut(cut);
    EXPECT_FALSE(ctrl.cutPixelRect(left, top, right, bottom)) << "the cut starts at the window end";

    ctrl.setLength(18000000, true);
    cut.setBegin(0);
    cut.setEnd(1000);
    cut.validate();
    ctrl.model().setCut(cut);
    ASSERT_TRUE(ctrl.cutPixelRect(left, top, right, bottom));
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 1) << "a cut narrower than a pixel still shows";
}
