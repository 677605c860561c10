// The note tool's portable core: the width table, the eraser's squares live and replayed, the mask
// pen that only darkens, stroke replay and point growth, the toolbar's mode-switch decisions with
// the save question's answers, the display choice, the picture's file name, and undo (of strokes and
// of "clear all", passing over taps that draw nothing).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "note/note_modes.h"
#include "note/note_toolbar_layout.h"
#include "note/stroke.h"
#include "note/stroke_history.h"
#include "resource.h"

namespace tesmora {
namespace {

TEST(NoteStroke, WidthTable) {
    struct Case {
        int tool, index, width;
    } cases[] = {
        {kNoteToolPen, 1, 2},
        {kNoteToolPen, 2, 5},
        {kNoteToolPen, 3, 8},
        {kNoteToolPen, 4, 11},
        {kNoteToolPen, 0, 10},
        {kNoteToolPen, 5, 10},
        {kNoteToolEraser, 1, 32},
        {kNoteToolEraser, 4, 32},
        {kNoteToolEraser, 9, 32},
        {2, 1, 10},
        {7, 4, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NotePenWidth(c.tool, c.index), c.width) << "tool " << c.tool << " index " << c.index;
    }
}

TEST(NoteStroke, EraserSquaresLiveAndReplayed) {
    struct Case {
        int x, y;
        NoteArea live, replayed;
    } cases[] = {
        {5, 5, {1, 2, 21, 21}, {0, 0, 21, 21}},        {0, 0, {1, 2, 16, 16}, {0, 0, 16, 16}},
        {100, 50, {85, 36, 32, 32}, {84, 34, 32, 32}}, {16, 40, {1, 26, 32, 32}, {0, 24, 32, 32}},
        {-20, 3, {1, 2, -4, 19}, {0, 0, -4, 19}},  // outside the overlay: nothing to copy
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LiveEraserArea(c.x, c.y), c.live) << c.x << "," << c.y;
        EXPECT_EQ(ReplayedEraserArea(c.x, c.y), c.replayed) << c.x << "," << c.y;
    }
}

TEST(NoteStroke, MaskPenOnlyDarkens) {
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0x0000E6, 0xE6E6E6, 0xCC33E6, 0x123456, 0xC7B71B};
    for (uint32_t pen : colours) {
        for (uint32_t below : colours) {
            uint32_t masked = PenPixel(pen, below, true);
            for (int shift : {0, 8, 16}) {
                uint32_t channel = (masked >> shift) & 0xFF;
                EXPECT_LE(channel, (below >> shift) & 0xFF);
                EXPECT_LE(channel, (pen >> shift) & 0xFF);
            }
            // A second stroke over the first darkens further or keeps it.
            EXPECT_EQ(PenPixel(pen, masked, true), masked);
            EXPECT_EQ(PenPixel(pen, below, false), pen);
        }
    }
    // A light pen over a dark picture shows almost nothing.
    EXPECT_EQ(PenPixel(0xE6E6E6, 0x141414, true), 0x040404u);
}

// Records what a stroke draws.
class RecordingCanvas : public StrokeCanvas {
public:
    bool penWorks = true;
    std::vector<std::string> calls;

    bool SelectPen(int width, uint32_t colour) override {
        calls.push_back("pen " + std::to_string(width) + " " + std::to_string(colour));
        return penWorks;
    }
    void Line(NotePoint from, NotePoint to, bool semi) override {
        calls.push_back("line " + std::to_string(from.x) + "," + std::to_string(from.y) + "-" +
                        std::to_string(to.x) + "," + std::to_string(to.y) + (semi ? " mask" : " copy"));
    }
    void RestoreBackground(NoteArea a) override {
        calls.push_back("restore " + std::to_string(a.left) + "," + std::to_string(a.top) + " " +
                        std::to_string(a.width) + "x" + std::to_string(a.height));
    }
    void ReleasePen() override { calls.push_back("release"); }
};

TEST(NoteStroke, ReplaysWithTheSettingsItBeganWith) {
    struct Case {
        const char* what;
        int tool, semi;
        std::vector<NotePoint> points;
        bool penWorks, result;
        std::vector<std::string> calls;
    } cases[] = {
        {"no points", kNoteToolPen, 0, {}, true, true, {}},
        {"a click", kNoteToolPen, 0, {{3, 4}}, true, true, {"pen 5 230", "release"}},
        {"pen",
         kNoteToolPen,
         0,
         {{1, 1}, {5, 1}, {5, 9}},
         true,
         true,
         {"pen 5 230", "line 1,1-5,1 copy", "line 5,1-5,9 copy", "release"}},
        {"semi-transparent",
         kNoteToolPen,
         1,
         {{1, 1}, {2, 2}},
         true,
         true,
         {"pen 5 230", "line 1,1-2,2 mask", "release"}},
        {"flag other than 1 is opaque",
         kNoteToolPen,
         2,
         {{1, 1}, {2, 2}},
         true,
         true,
         {"pen 5 230", "line 1,1-2,2 copy", "release"}},
        {"eraser",
         kNoteToolEraser,
         0,
         {{0, 0}, {40, 40}},
         true,
         true,
         {"pen 5 230", "restore 0,0 16x16", "restore 24,24 32x32", "release"}},
        {"unknown tool", 2, 0, {{1, 1}, {2, 2}}, true, true, {"pen 5 230", "release"}},
        {"no pen, also for the eraser", kNoteToolEraser, 0, {{9, 9}}, false, false, {"pen 5 230"}},
    };
    for (const Case& c : cases) {
        Stroke stroke(c.tool, 5, 2, c.semi, 230);
        for (NotePoint point : c.points) stroke.AppendPoint(point);
        RecordingCanvas canvas;
        canvas.penWorks = c.penWorks;
        EXPECT_EQ(stroke.Draw(canvas), c.result) << c.what;
        EXPECT_EQ(canvas.calls, c.calls) << c.what;
    }
}

TEST(NoteStroke, PointsGrowInBlocksOfAnEighth) {
    Stroke stroke(kNoteToolPen, 2, 1, 0, 0);
    std::vector<size_t> capacities;
    for (int i = 0; i < 20000; ++i) {
        size_t before = stroke.Capacity();
        stroke.AppendPoint({i, -i});
        if (stroke.Capacity() != before) capacities.push_back(stroke.Capacity());
    }
    ASSERT_GE(capacities.size(), 3u);
    EXPECT_EQ(capacities[0], 4u);
    EXPECT_EQ(capacities[1], 8u);
    for (size_t i = 1; i < capacities.size(); ++i) {
        size_t step = capacities[i] - capacities[i - 1];
        size_t eighth = capacities[i - 1] / 8;
        EXPECT_EQ(step, std::max<size_t>(4, std::min<size_t>(1024, eighth))) << "growth " << i;
    }
    // Far fewer copies than points, even for a very long stroke.
    EXPECT_LT(capacities.size(), 100u);
    EXPECT_EQ(stroke.Points().back(), (NotePoint{19999, -19999}));
}

TEST(NoteToolbar, ModeSwitchDecisions) {
    using M = NoteMode;
    using C = NoteModeCommand;
    struct Case {
        M mode;
        C command;
        bool box, overlay, modified;
        NoteSwitchPlan plan;
    } cases[] = {
        {M::Touch, C::Writing, false, false, false, {true, false}},
        {M::Writing, C::Writing, false, true, true, {false, false}},  // no new snapshot
        {M::Whiteboard, C::Whiteboard, false, true, false, {false, false}},
        {M::Writing, C::Whiteboard, false, true, true, {true, true}},    // unsaved strokes: ask
        {M::Writing, C::Whiteboard, false, true, false, {true, false}},  // only eraser strokes
        {M::Whiteboard, C::Touch, false, true, true, {true, true}},
        {M::Touch, C::Touch, false, false, false, {true, false}},
        {M::Writing, C::Close, false, true, true, {true, true}},
        {M::Writing, C::Touch, true, true, true, {false, false}},  // a message box is open
        {M::Touch, C::Close, true, false, false, {false, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlanModeSwitch(c.mode, c.command, c.box, c.overlay, c.modified), c.plan)
            << static_cast<int>(c.mode) << " " << static_cast<int>(c.command);
    }
}

TEST(NoteToolbar, SaveQuestionAnswers) {
    EXPECT_EQ(StepAfterSaveQuestion(2), NoteAnswerStep::Stay);
    EXPECT_EQ(StepAfterSaveQuestion(6), NoteAnswerStep::SaveThenSwitch);
    for (int other : {7, 1, -1, 0}) EXPECT_EQ(StepAfterSaveQuestion(other), NoteAnswerStep::Switch) << other;
}

TEST(NoteToolbar, ColourButtons) {
    EXPECT_EQ(NoteColourButton(kNoteStartColour), IDC_NOTE_COLOUR2);
    EXPECT_EQ(NoteColourButton(0xC7B71B), IDC_NOTE_COLOUR8);
    EXPECT_EQ(NoteColourButton(0x123456), IDC_NOTE_COLOUR1);  // not on the toolbar
    for (int id = IDC_NOTE_COLOUR1; id <= IDC_NOTE_COLOUR8; ++id) {
        uint32_t colour = 0;
        ASSERT_TRUE(NoteColourOfButton(id, colour));
        EXPECT_EQ(NoteColourButton(colour), id);
    }
    uint32_t colour = 0;
    EXPECT_FALSE(NoteColourOfButton(IDC_NOTE_SEMI, colour));
}

TEST(NoteToolbar, ButtonsLieInsideTheToolbarAndDoNotOverlap) {
    auto buttons = NoteToolbarButtons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        const NoteButtonPlace& a = buttons[i];
        EXPECT_LE(a.x + a.width, kNoteToolbarWidth) << a.id;
        EXPECT_LE(a.y + a.height, kNoteToolbarFullHeight) << a.id;
        for (size_t j = i + 1; j < buttons.size(); ++j) {
            const NoteButtonPlace& b = buttons[j];
            bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                         b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << a.id << " overlaps " << b.id;
        }
    }
}

TEST(NoteToolbar, HomeCoversNoPanelButton) {
    struct Case {
        const char* what;
        NoteScreenRect panel;
        int width, height, homeY, screenWidth, screenHeight;
        NoteScreenPoint expected;
    };
    const Case cases[] = {
        {"usual panel: home", {1855, 0, 1920, 106}, 173, 410, 280, 1920, 1080, {1747, 280}},
        {"full panel: below it", {1855, 0, 1920, 348}, 173, 410, 280, 1920, 1080, {1747, 348}},
        {"full panel at 1.4: below it", {1829, 0, 1920, 487}, 242, 574, 392, 1920, 1080, {1678, 487}},
        {"full panel, short screen: left of it", {1215, 0, 1280, 348}, 173, 410, 280, 1280, 720, {1042, 280}},
        {"panel dragged to the left: home", {0, 0, 65, 348}, 173, 410, 280, 1920, 1080, {1747, 280}},
        {"panel dragged down the right edge: left of it",
         {1855, 500, 1920, 848},
         173,
         410,
         280,
         1920,
         1080,
         {1682, 280}},
        {"no room anywhere: home", {0, 0, 300, 700}, 173, 410, 280, 400, 720, {227, 280}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NoteToolbarHome(c.panel, c.width, c.height, c.homeY, c.screenWidth, c.screenHeight),
                  c.expected)
            << c.what;
    }
}

TEST(NoteOverlay, DisplayChoice) {
    std::vector<NoteDisplay> secondFirst{{-1920, 0, 0, 1080}, {0, 0, 1280, 1024}};
    EXPECT_EQ(ChooseOverlayDisplay(secondFirst, 1280, 1024), (NoteDisplay{0, 0, 1280, 1024}));
    // The first display with left edge 0 wins, even if it is not the primary one.
    std::vector<NoteDisplay> stacked{{0, -1080, 1920, 0}, {0, 0, 1280, 1024}};
    EXPECT_EQ(ChooseOverlayDisplay(stacked, 1280, 1024), (NoteDisplay{0, -1080, 1920, 0}));
    std::vector<NoteDisplay> none{{100, 0, 900, 600}};
    EXPECT_EQ(ChooseOverlayDisplay(none, 800, 600), (NoteDisplay{0, 0, 800, 600}));
    EXPECT_EQ(ChooseOverlayDisplay({}, 800, 600), (NoteDisplay{0, 0, 800, 600}));
}

// A script of the teacher's actions, and what the drawing holds after it. Letters a..z are pen
// strokes that show (their colour is the letter), 't' a tap of the pen (one point), 'e' an eraser
// touch (one point, which does restore a square); 'C' is "clear all", 'U' undo, '!' an undo that has
// nothing to take back.
TEST(NoteUndo, StrokesAndClearAllComeBackStepByStep) {
    const struct {
        const char* script;
        const char* shown;
    } cases[] = {
        {"abU", "a"},
        {"abUU", ""},
        {"abUU!", ""},
        {"abCU", "ab"},        // one undo brings back every stroke the clear removed
        {"abCcUU", "ab"},      // strokes after the clear go first
        {"abCcdCUUUU", "ab"},  // clears nest
        {"abCcdCU", "cd"},
        {"atU", ""},  // a tap is no step of its own: undo takes the stroke before it
        {"attbU", "att"},
        {"tt!", "tt"},     // nothing but taps: nothing to take back
        {"ttC!", ""},      // a clear of taps alone is no step either
        {"abCtU", "abt"},  // a tap after a clear stays, after the strokes that come back
        {"aeU", "a"},      // an eraser touch shows, so it is a step
        {"!", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        StrokeHistory history;
        for (const char* action = c.script; *action; ++action) {
            if (*action == 'C') {
                history.Clear();
            } else if (*action == 'U') {
                EXPECT_TRUE(history.Undo());
            } else if (*action == '!') {
                EXPECT_FALSE(history.CanUndo());
                EXPECT_FALSE(history.Undo());
            } else {
                const int tool = *action == 'e' ? kNoteToolEraser : kNoteToolPen;
                auto stroke = std::make_unique<Stroke>(tool, 5, 2, 0, uint32_t(*action));
                stroke->AppendPoint({10, 10});
                if (*action != 't' && *action != 'e') stroke->AppendPoint({20, 20});
                history.Add(std::move(stroke));
            }
        }
        std::string shown;
        for (const auto& stroke : history.All()) shown += char(stroke->Colour());
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(NoteSave, PictureNameHasNineteenCharacters) {
    EXPECT_EQ(NotePictureName(2026, 12, 9, 7, 5, 3), L"20261209_070503.jpg");
    EXPECT_EQ(NotePictureName(999, 1, 1, 0, 0, 0), L"09990101_000000.jpg");
    EXPECT_EQ(NotePictureName(2026, 12, 31, 23, 59, 59).size(), 19u);
}

}  // namespace
}  // namespace tesmora
