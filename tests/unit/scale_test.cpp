// The UI scale factor: floor(v * s) as a single-precision product, the factor chosen for a screen, and
// the configuration's override with its unusable values.
#include "common/ui/scale.h"

#include <gtest/gtest.h>

using namespace tesmora;

TEST(Scale, ScaledIsTheFloorOfTheSinglePrecisionProduct) {
    struct Case {
        int design;
        float s;
        int expected;
    };
    const Case cases[] = {
        {65, 1.0f, 65},   {65, 1.4f, 91},   {106, 1.4f, 148}, {65, 2.0f, 130},  {504, 1.4f, 705},
        {234, 1.4f, 327}, {67, 1.4f, 93},   {34, 1.4f, 47},   {183, 1.4f, 256}, {418, 1.4f, 585},
        {345, 1.4f, 483}, {272, 1.4f, 380}, {13, 1.4f, 18},   {39, 1.4f, 54},   {5, 1.4f, 7},
        {10, 1.25f, 12},  {0, 1.4f, 0},     {-3, 1.4f, -5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaledBy(c.design, c.s), c.expected) << c.design << " x " << c.s;
    }
}

TEST(Scale, ProcessWideFactorAcceptsOnlyUsableValues) {
    ASSERT_TRUE(SetScaleFactor(1.4f));
    EXPECT_EQ(Scaled(65), 91);
    EXPECT_FALSE(SetScaleFactor(0.0f));
    EXPECT_FALSE(SetScaleFactor(-1.0f));
    EXPECT_FALSE(SetScaleFactor(1e-9f));
    EXPECT_FALSE(SetScaleFactor(kMaxScaleFactor * 2));
    EXPECT_FLOAT_EQ(ScaleFactor(), 1.4f);
    ASSERT_TRUE(SetScaleFactor(1.0f));
    EXPECT_EQ(Scaled(65), 65);
}

TEST(Scale, FactorForScreen) {
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(1920, 1080), 1.0f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(2000, 2000), 1.0f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(2560, 1600), 1.4f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(2560, 1440), 1.4f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(1080, 2001), 1.4f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(3000, 2000), 1.4f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(3840, 2160), 2.0f);
    EXPECT_FLOAT_EQ(ScaleFactorForScreen(1200, 3001), 2.0f);
}

TEST(Scale, OverrideTakesTheLeadingNumberWhenUsable) {
    EXPECT_FLOAT_EQ(ParseScaleFactorOverride(u"1.25"), 1.25f);
    EXPECT_FLOAT_EQ(ParseScaleFactorOverride(u" 2"), 2.0f);
    EXPECT_FLOAT_EQ(ParseScaleFactorOverride(u"1.5x"), 1.5f);
    // These keep the screen's factor.
    EXPECT_EQ(ParseScaleFactorOverride(u""), 0.0f);
    EXPECT_EQ(ParseScaleFactorOverride(u"0"), 0.0f);
    EXPECT_EQ(ParseScaleFactorOverride(u"abc"), 0.0f);
    EXPECT_EQ(ParseScaleFactorOverride(u"한1.5"), 0.0f);
    // Values that would make windows of negative or absurd size, or no size at all.
    EXPECT_EQ(ParseScaleFactorOverride(u"-1"), 0.0f);
    EXPECT_EQ(ParseScaleFactorOverride(u"inf"), 0.0f);
    EXPECT_EQ(ParseScaleFactorOverride(u"nan"), 0.0f);
    EXPECT_EQ(ParseScaleFactorOverride(u"1e30"), 0.0f);
    // The usable range is 0.5 to 4, both ends included.
    const struct {
        const char16_t* text;
        float factor;
    } range[] = {{u"0.5", 0.5f},  {u"4", 4.0f},    {u"0.49", 0.0f},
                 {u"1e-9", 0.0f}, {u"4.01", 0.0f}, {u"10", 0.0f}};
    for (const auto& c : range) {
        EXPECT_EQ(ParseScaleFactorOverride(c.text), c.factor);
    }
}
