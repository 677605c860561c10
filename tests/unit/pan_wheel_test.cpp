// A vertical pan turned into wheel notches at the gesture's anchor.
#include "remote_control/pan_wheel.h"

#include <gtest/gtest.h>

using namespace tesmora;

TEST(PanToWheel, EachStepOfMoreThanTenPixelsIsOneNotchAtTheAnchor) {
    PanToWheel thirtyDown;
    thirtyDown.Begin(400, 300);
    EXPECT_EQ(thirtyDown.Pan(400, 330), (PanWheelStep{400, 300, 60}));

    PanToWheel pan;
    pan.Begin(400, 300);
    EXPECT_EQ(pan.Pan(405, 310), std::nullopt);  // 10 pixels is not yet a step
    EXPECT_EQ(pan.Pan(420, 330), (PanWheelStep{400, 300, 60}));
    // The anchor followed the finger down, so the next step is measured from (420, 330).
    EXPECT_EQ(pan.Pan(430, 319), (PanWheelStep{420, 330, -60}));
    // An upward step leaves the anchor's x where it was.
    EXPECT_EQ(pan.Pan(500, 340), (PanWheelStep{420, 319, 60}));
}
