// Stroke: one gesture on the note overlay, from pressing the left button to releasing it, with the
// pen or the eraser. It keeps the settings in effect when it began, so that a later change of pen,
// width or colour never alters what was already drawn, and replays itself onto a StrokeCanvas (the
// overlay's off-screen picture on Windows, a recording fake in the tests). Also the width table and
// the eraser's geometry. Note thread only (the overlay's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmora {

inline constexpr int kNoteToolPen = 0;
inline constexpr int kNoteToolEraser = 4;
// The eraser restores squares of this side from the background picture.
inline constexpr int kEraserSide = 32;

struct NotePoint {
    int32_t x, y;
    bool operator==(const NotePoint&) const = default;
};

// An area of the overlay: top-left corner and size.
struct NoteArea {
    int left, top, width, height;
    bool operator==(const NoteArea&) const = default;
};

// The pen width in pixels for a tool and the toolbar's width index (1..4): the pen's 2, 5, 8, 11
// (10 for an index outside the table), always 32 for the eraser, 10 for any other tool.
int NotePenWidth(int tool, int widthIndex);

// The square an eraser point restores when a stroke is replayed: side 32 centred on (x, y), cut at
// the overlay's left and top edges.
NoteArea ReplayedEraserArea(int x, int y);
// The square restored while the teacher erases: the replayed square moved one pixel right and two
// down, where the eraser cursor's picture lies. After a repaint an erased area therefore sits one
// pixel further left and two higher than it looked while erasing.
NoteArea LiveEraserArea(int x, int y);

// What a pixel becomes under a pen of `pen` colour: the plain pen replaces it; the semi-transparent
// (mask) pen keeps a colour bit only where both the pen and the picture below have it, so it can
// only ever darken.
uint32_t PenPixel(uint32_t pen, uint32_t below, bool semiTransparent);

// Where a stroke draws itself.
class StrokeCanvas {
public:
    virtual ~StrokeCanvas() = default;
    // Takes up a solid pen; false when it cannot be made (nothing is drawn then).
    virtual bool SelectPen(int width, uint32_t colour) = 0;
    // A line from `from` to `to` with the selected pen, masked or plain.
    virtual void Line(NotePoint from, NotePoint to, bool semiTransparent) = 0;
    // Copies `area` of the background picture back onto the canvas.
    virtual void RestoreBackground(NoteArea area) = 0;
    // Puts back what was selected before SelectPen.
    virtual void ReleasePen() = 0;
};

class Stroke {
public:
    Stroke(int tool, int width, int widthIndex, int semiTransparent, uint32_t colour);

    int Tool() const { return tool_; }
    int Width() const { return width_; }
    int WidthIndex() const { return widthIndex_; }
    bool SemiTransparent() const { return semiTransparent_ == 1; }
    uint32_t Colour() const { return colour_; }
    const std::vector<NotePoint>& Points() const { return points_; }
    size_t Capacity() const { return points_.capacity(); }

    // Appends a point. The array grows by an eighth of its size (at least 4, at most 1024 points) so
    // that a long stroke does not copy its points on every mouse move.
    void AppendPoint(NotePoint point);

    // Replays the stroke. False only when its pen cannot be made (then nothing is drawn); a stroke
    // without points, a one-point pen stroke (a click) and an unknown tool draw nothing and succeed.
    bool Draw(StrokeCanvas& canvas) const;

private:
    int tool_;
    int width_;
    int widthIndex_;
    int semiTransparent_;
    uint32_t colour_;
    std::vector<NotePoint> points_;
};

}  // namespace tesmora
