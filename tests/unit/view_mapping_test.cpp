// The remote view's mapping to teacher pixels, the monitor it falls back to, and the repeated-move
// filter.
#include "remote_control/view_mapping.h"

#include <gtest/gtest.h>

using namespace tesmora;

TEST(ViewMapping, MapsViewPixelsOntoTheShownMonitorTruncatingTowardZero) {
    struct Case {
        MonitorRect monitor;
        int32_t viewWidth, viewHeight, x, y;
        TeacherPoint expected;
    };
    const Case cases[] = {
        {{1920, 0, 3840, 1080}, 1280, 800, 100, 50, {2070, 67}},  // 67.5 truncated
        {{1920, 0, 3840, 1080}, 1280, 800, 0, 0, {1920, 0}},
        {{1920, 0, 3840, 1080}, 1280, 800, 1279, 799, {3838, 1078}},
        {{-1280, 0, 0, 1024}, 1280, 800, -3, -3, {-1283, -3}},  // negatives truncate toward zero
        {{0, 0, 1920, 1080}, 0, 0, 500, 500, {0, 0}},           // unmeasured view: offsets only
    };
    for (const Case& c : cases) {
        ViewMapping mapping;
        mapping.FitMonitor(c.monitor, c.viewWidth, c.viewHeight);
        EXPECT_EQ(mapping.Map(c.x, c.y), c.expected) << c.x << "," << c.y << " on " << c.monitor.left;
    }
}

TEST(ViewMapping, WholeImageFitKeepsTheMonitorOffsetAndNoImageMapsToIt) {
    ViewMapping mapping;
    EXPECT_EQ(mapping.Map(7, 9), (TeacherPoint{7, 9}));  // before any size: one to one
    mapping.FitMonitor({1920, 0, 3840, 1080}, 1280, 800);
    mapping.FitImage(3840, 1080, 1280, 800);
    EXPECT_EQ(mapping.Map(100, 50), (TeacherPoint{1920 + 300, 67}));
    mapping.FitImage(0, 0, 1280, 800);  // no screen-size reply yet
    EXPECT_EQ(mapping.Map(100, 50), (TeacherPoint{1920, 0}));
}

TEST(ViewMapping, SelectedIndexOutsideTheListFallsBackToTheFirstMonitor) {
    const std::vector<MonitorRect> two = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    EXPECT_EQ(ShownMonitor(two, 1), two[1]);
    EXPECT_EQ(ShownMonitor(two, 2), two[0]);
    EXPECT_EQ(ShownMonitor(two, -1), two[0]);
    EXPECT_EQ(ShownMonitor({}, 0), std::nullopt);
}

TEST(MouseForwarder, TapBecomesTeacherRecordsAndRepeatedMovesGiveOne) {
    ViewMapping mapping;
    mapping.FitMonitor({1920, 0, 3840, 1080}, 1280, 800);
    MouseForwarder forwarder;
    EXPECT_EQ(forwarder.Forward(mapping, 0x201, 1, 100, 50), (PointerEventRecord{0x201, 1, 2070, 67, 0}));
    EXPECT_EQ(forwarder.Forward(mapping, 0x202, 0, 100, 50), (PointerEventRecord{0x202, 0, 2070, 67, 0}));

    // A resting finger repeats one position: one record.
    EXPECT_EQ(forwarder.Forward(mapping, 0x200, 0, 200, 100), (PointerEventRecord{0x200, 0, 2220, 135, 0}));
    EXPECT_EQ(forwarder.Forward(mapping, 0x200, 0, 200, 100), std::nullopt);
    EXPECT_TRUE(forwarder.Forward(mapping, 0x200, 0, 201, 101).has_value());
    // On a teacher screen smaller than the pad, neighbouring view pixels share a teacher pixel.
    ViewMapping half;
    half.FitImage(640, 400, 1280, 800);
    EXPECT_EQ(forwarder.Forward(half, 0x200, 0, 10, 10), (PointerEventRecord{0x200, 0, 5, 5, 0}));
    EXPECT_EQ(forwarder.Forward(half, 0x200, 0, 11, 11), std::nullopt);
    // Clicks are never filtered, and only the wheel carries a delta.
    EXPECT_TRUE(forwarder.Forward(mapping, 0x201, 1, 201, 101).has_value());
    EXPECT_EQ(forwarder.Forward(mapping, 0x20A, 0, 0, 0, 60), (PointerEventRecord{0x20A, 0, 1920, 0, 60}));
    EXPECT_EQ(forwarder.Forward(mapping, 0x201, 1, 0, 0, 60)->wheelDelta, 0);
}

// A press whose release the view never sees (it lands over the panel, the view loses the focus,
// remote control stops) is released on the teacher PC at the last position it knows.
TEST(MouseForwarder, ButtonsStillHeldAreReleasedOnceWhereThePointerWasLast) {
    ViewMapping mapping;
    mapping.FitImage(1920, 1080, 1920, 1080);
    MouseForwarder forwarder;
    forwarder.Forward(mapping, 0x201, 0x01, 10, 10);  // left down
    forwarder.Forward(mapping, 0x207, 0x11, 12, 10);  // middle down
    forwarder.Forward(mapping, 0x204, 0x13, 14, 10);  // right down
    forwarder.Forward(mapping, 0x205, 0x11, 16, 10);  // right up: released here already
    forwarder.Forward(mapping, 0x200, 0x11, 30, 40);
    EXPECT_TRUE(forwarder.AnyButtonHeld());
    const std::vector<PointerEventRecord> expected = {{0x202, 0x10, 30, 40, 0}, {0x208, 0x00, 30, 40, 0}};
    EXPECT_EQ(forwarder.ReleaseHeldButtons(), expected);
    EXPECT_FALSE(forwarder.AnyButtonHeld());
    EXPECT_TRUE(forwarder.ReleaseHeldButtons().empty());

    forwarder.Forward(mapping, 0x203, 0x01, 5, 6);  // a double click holds the button too
    EXPECT_EQ(forwarder.ReleaseHeldButtons(), (std::vector<PointerEventRecord>{{0x202, 0, 5, 6, 0}}));
}
