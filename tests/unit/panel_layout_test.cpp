// The panel's geometry: scale choice, home position, the button table, the drag strip, the title's
// room and font fitting, the restore from the logo and the display-change test.
#include "panel/panel_layout.h"
#include "panel/panel_modes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "panel/panel_geometry.h"
#include "resource.h"

using namespace tesmora;

TEST(PanelLayout, ScreenChoosesTheScaleUnlessConfigurationOverridesIt) {
    EXPECT_EQ(ChoosePanelScaleFactor(1920, 1080, u""), 1.0f);
    EXPECT_EQ(ChoosePanelScaleFactor(2560, 1600, u""), 1.4f);
    EXPECT_EQ(ChoosePanelScaleFactor(3840, 2160, u""), 2.0f);
    EXPECT_EQ(ChoosePanelScaleFactor(1920, 1080, u"1.25"), 1.25f);
    EXPECT_EQ(ChoosePanelScaleFactor(3840, 2160, u"1.25"), 1.25f);
    // 0, nothing and nonsense keep the screen's factor.
    EXPECT_EQ(ChoosePanelScaleFactor(2560, 1600, u"0"), 1.4f);
    EXPECT_EQ(ChoosePanelScaleFactor(2560, 1600, u"abc"), 1.4f);
    EXPECT_EQ(ChoosePanelScaleFactor(2560, 1600, u"-2"), 1.4f);
    // A factor that would make the panel too small to use or too big for the screen.
    EXPECT_EQ(ChoosePanelScaleFactor(2560, 1600, u"1e-9"), 1.4f);
    EXPECT_EQ(ChoosePanelScaleFactor(1920, 1080, u"8"), 1.0f);
}

TEST(PanelLayout, PanelSitsFlushWithTheTopRightCorner) {
    EXPECT_EQ(PanelHomePosition(1920, 1.0f), (PanelPoint{1855, 0}));
    // 65 x 1.4 is 91 in single precision (a wider product would floor to 90).
    EXPECT_EQ(PanelHomePosition(2560, 1.4f), (PanelPoint{2469, 0}));
    EXPECT_EQ(PanelHomePosition(3840, 2.0f), (PanelPoint{3710, 0}));
}

TEST(PanelLayout, ButtonTableMatchesTheShippedLayout) {
    auto buttons = PanelButtons();
    ASSERT_EQ(buttons.size(), 10u);
    // Close and logo come first; every id once.
    EXPECT_EQ(buttons[0].id, IDC_BTN_CLOSE);
    EXPECT_EQ(buttons[1].id, IDC_BTN_LOGO);
    std::set<int> ids;
    for (const auto& b : buttons) ids.insert(b.id);
    EXPECT_EQ(ids.size(), 10u);

    // At start only the close and the upload buttons show, and only the large buttons at (5, 32)
    // lie inside the 65 x 106 panel.
    for (const auto& b : buttons) {
        EXPECT_EQ(b.visibleAtStart, b.id == IDC_BTN_CLOSE || b.id == IDC_BTN_UPLOAD) << b.id;
    }
    const PanelButtonPlace* upload = FindPanelButton(IDC_BTN_UPLOAD);
    ASSERT_NE(upload, nullptr);
    EXPECT_TRUE(upload->checkBox);
    EXPECT_LE(upload->x + upload->width, kPanelWidth);
    EXPECT_LE(upload->y + upload->height, kPanelHeight);
    EXPECT_EQ(upload->tooltip, IDS_TIP_UPLOAD);
    EXPECT_EQ(upload->checked, unsigned(IDB_UPLOAD_CHECKED));

    // Push buttons without a checked picture of their own show the normal one.
    const PanelButtonPlace* keyboard = FindPanelButton(IDC_BTN_KEYBOARD);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_FALSE(keyboard->checkBox);
    EXPECT_EQ(keyboard->checked, keyboard->normal);
    EXPECT_EQ(FindPanelButton(IDC_BTN_CLOSE)->tooltip, 0);
    EXPECT_EQ(FindPanelButton(4711), nullptr);
}

TEST(PanelLayout, DragStripIsTheTitleStripOrTheWholeLogo) {
    EXPECT_EQ(DragStripBottom(false, 1.0f), 38);
    EXPECT_EQ(DragStripBottom(true, 1.0f), 70);
    EXPECT_EQ(DragStripBottom(false, 1.4f), 53);
    EXPECT_EQ(DragStripBottom(true, 1.4f), 98);
}

TEST(PanelLayout, TitleShrinksOnlyAsFarAsItMustToClearTheCloseButton) {
    EXPECT_EQ(TitleRoomWidth(1.0f), 40);  // from x = 6 to the close button at 47
    EXPECT_EQ(TitleRoomWidth(2.0f), 81);
    auto widthOf = [](int height) { return height * 5; };  // a face 5 px wide per pixel of height
    EXPECT_EQ(FittingFontHeight(12, 9, 60, widthOf), 12);  // fits as it is
    EXPECT_EQ(FittingFontHeight(12, 9, 50, widthOf), 10);
    EXPECT_EQ(FittingFontHeight(12, 9, 20, widthOf), 9);  // never below the smallest
}

TEST(PanelGeometry, RestoreFromTheLogoPullsThePanelInsideTheScreen) {
    constexpr int W = 1920, H = 1080, w = 65, h = 106;
    // At home: the logo's place is kept.
    EXPECT_EQ(RestoredPanelCorner({1855, 0, 1925, 70}, w, h, W, H), (PanelCorner{1855, 0}));
    // Dragged mid-screen: stays where it is.
    EXPECT_EQ(RestoredPanelCorner({500, 400, 570, 470}, w, h, W, H), (PanelCorner{500, 400}));
    // Above and left of the screen: shifted in.
    EXPECT_EQ(RestoredPanelCorner({-30, -20, 40, 50}, w, h, W, H), (PanelCorner{0, 0}));
    // Near the right and bottom edges: the whole panel comes back on the screen.
    EXPECT_EQ(RestoredPanelCorner({1890, 1050, 1960, 1120}, w, h, W, H), (PanelCorner{W - w, H - h}));
    EXPECT_EQ(RestoredPanelCorner({1800, 990, 1870, 1060}, w, h, W, H), (PanelCorner{W - w, H - h}));
}

TEST(PanelGeometry, DisplayChangeKeepsAPanelWhoseCornerIsStillOnTheScreen) {
    EXPECT_TRUE(BottomRightCornerOnScreen({1855, 0, 1920, 106}, 1920, 1080));  // flush with the edge
    EXPECT_TRUE(BottomRightCornerOnScreen({100, 100, 165, 206}, 1280, 720));
    EXPECT_FALSE(BottomRightCornerOnScreen({1855, 0, 1920, 106}, 1280, 720));
    EXPECT_FALSE(BottomRightCornerOnScreen({100, 700, 165, 806}, 1280, 720));
    EXPECT_FALSE(BottomRightCornerOnScreen({-200, -200, -135, -94}, 1280, 720));
}

// The full panel's modes: remote control and upload exclude each other, the keyboard and monitor
// buttons show only during remote control, and no two shown buttons overlap in any mode.
TEST(PanelModes, FullLayoutShowsEveryFeatureWithoutOverlapAndTheShippedOneOnlyTheUpload) {
    for (PanelLayout layout : {PanelLayout::kShipped, PanelLayout::kFull}) {
        for (PanelMode mode : {PanelMode::kConnected, PanelMode::kUploading, PanelMode::kRemoteControl}) {
            std::vector<int> shown;
            for (int id : FeatureButtonIds()) {
                if (FeatureButtonShown(layout, mode, id)) shown.push_back(id);
            }
            bool remote = mode == PanelMode::kRemoteControl;
            auto has = [&](int id) { return std::find(shown.begin(), shown.end(), id) != shown.end(); };
            EXPECT_EQ(has(IDC_BTN_KEYBOARD), remote);
            EXPECT_EQ(has(IDC_BTN_MONITOR), remote);
            EXPECT_EQ(has(IDC_BTN_UPLOAD), !remote);
            EXPECT_EQ(has(IDC_BTN_REMOTE), layout == PanelLayout::kFull && mode != PanelMode::kUploading);
            EXPECT_EQ(has(IDC_BTN_NOTE), layout == PanelLayout::kFull);
            PanelShape shape = PanelShapeFor(layout);
            for (size_t i = 0; i < shown.size(); ++i) {
                const PanelButtonPlace* a = FindPanelButton(shown[i]);
                PanelPoint pa = FeatureButtonPosition(layout, shown[i]);
                // The shipped panel is too short for the keyboard and monitor buttons it shows.
                if (layout == PanelLayout::kFull) {
                    EXPECT_LE(pa.y + a->height, shape.bottomStripTop) << shown[i];
                }
                for (size_t j = i + 1; j < shown.size(); ++j) {
                    const PanelButtonPlace* b = FindPanelButton(shown[j]);
                    PanelPoint pb = FeatureButtonPosition(layout, shown[j]);
                    bool apart = pa.y + a->height <= pb.y || pb.y + b->height <= pa.y;
                    EXPECT_TRUE(apart) << shown[i] << " overlaps " << shown[j];
                }
            }
        }
    }
}

TEST(PanelModes, LayoutKeyChoosesTheFullPanelOnlyForFull) {
    EXPECT_EQ(ParsePanelLayout(u"full"), PanelLayout::kFull);
    EXPECT_EQ(ParsePanelLayout(u" FULL\r\n"), PanelLayout::kFull);
    EXPECT_EQ(ParsePanelLayout(u""), PanelLayout::kShipped);
    EXPECT_EQ(ParsePanelLayout(u"fullscreen"), PanelLayout::kShipped);
    EXPECT_EQ(ParsePanelLayout(u"ful"), PanelLayout::kShipped);
}
