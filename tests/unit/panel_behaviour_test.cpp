// The panel's small rules: a tap on the logo against a drag, the upload parameters and their
// announcement, and the trace of messages shown to the user.
#include <gtest/gtest.h>

#include "panel/logo_tap.h"
#include "panel/message_trace.h"
#include "panel/upload_parameters.h"

using namespace tesmora;

TEST(LogoTap, AQuickPressRestoresALongOneOnlyMoves) {
    LogoTap tap;
    tap.Press(1000);
    EXPECT_EQ(tap.Release(1199), LogoTap::End::kTap);
    EXPECT_FALSE(tap.Pressed());

    tap.Press(1000);
    EXPECT_EQ(tap.Move(1100, true), LogoTap::End::kNone);  // dragging
    EXPECT_EQ(tap.Release(1200), LogoTap::End::kDrag);     // exactly 200 ms is a drag
}

TEST(LogoTap, AMoveThatFindsTheButtonUpEndsThePress) {
    LogoTap tap;
    // The system's move loop swallowed the release.
    tap.Press(5000);
    EXPECT_EQ(tap.Move(5050, false), LogoTap::End::kTap);
    // Nothing is pending afterwards: later moves and releases end nothing.
    EXPECT_EQ(tap.Move(5060, false), LogoTap::End::kNone);
    EXPECT_EQ(tap.Release(5070), LogoTap::End::kNone);
    // Across the wrap of the tick counter.
    tap.Press(0xFFFFFFF0u);
    EXPECT_EQ(tap.Release(0x40u), LogoTap::End::kTap);
}

TEST(UploadParameters, RefreshCoversTheWholeScreenAndIsAnnounced) {
    UploadParameters p = FullScreenUploadParameters(1920, 1080);
    EXPECT_EQ(p.left, 0);
    EXPECT_EQ(p.top, 0);
    EXPECT_EQ(p.right, 1919);
    EXPECT_EQ(p.bottom, 1079);
    EXPECT_EQ(p.width, 1920);
    EXPECT_EQ(p.height, 1080);
    EXPECT_EQ(p.quality, 70);
    EXPECT_EQ(UploadParametersText(p), u"[RC00008]1920,1080,full,resize");
    p.windowMode = true;
    p.centre = true;
    EXPECT_EQ(UploadParametersText(p), u"[RC00008]1920,1080,window,center");
}

TEST(MessageTrace, TextSurvivesAnyCodePage) {
    EXPECT_EQ(MessageTraceLine(u"OK", MessageFate::kShown), "Remocon message: OK\n");
    EXPECT_EQ(MessageTraceLine(u"잘못\n\\", MessageFate::kShown),
              "Remocon message: \\uC798\\uBABB\\u000A\\u005C\n");
    EXPECT_EQ(MessageTraceLine(u"x", MessageFate::kDropped), "Remocon message dropped: x\n");
}
