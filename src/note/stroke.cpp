// Stroke, the width table and the eraser's geometry (see stroke.h). Note thread only.
#include "note/stroke.h"

#include <algorithm>

namespace tesmora {

namespace {

constexpr int kPenWidths[] = {2, 5, 8, 11};
constexpr int kOtherWidth = 10;
constexpr size_t kMinGrowth = 4;
constexpr size_t kMaxGrowth = 1024;

// A square of side `side` with its corner at (left, top), cut where it would start left of or
// above the overlay.
NoteArea CutSquare(int left, int top, int side) {
    NoteArea area{left, top, side, side};
    if (area.left < 0) {
        area.width += area.left;
        area.left = 0;
    }
    if (area.top < 0) {
        area.height += area.top;
        area.top = 0;
    }
    return area;
}

}  // namespace

int NotePenWidth(int tool, int widthIndex) {
    if (tool == kNoteToolEraser) return kEraserSide;
    if (tool != kNoteToolPen) return kOtherWidth;
    if (widthIndex < 1 || widthIndex > 4) return kOtherWidth;
    return kPenWidths[widthIndex - 1];
}

NoteArea ReplayedEraserArea(int x, int y) {
    return CutSquare(x - kEraserSide / 2, y - kEraserSide / 2, kEraserSide);
}

NoteArea LiveEraserArea(int x, int y) {
    NoteArea area = ReplayedEraserArea(x, y);
    area.left += 1;
    area.top += 2;
    return area;
}

uint32_t PenPixel(uint32_t pen, uint32_t below, bool semiTransparent) {
    return semiTransparent ? (pen & below) : pen;
}

Stroke::Stroke(int tool, int width, int widthIndex, int semiTransparent, uint32_t colour)
    : tool_(tool),
      width_(width),
      widthIndex_(widthIndex),
      semiTransparent_(semiTransparent),
      colour_(colour) {}

void Stroke::AppendPoint(NotePoint point) {
    if (points_.size() == points_.capacity()) {
        size_t growth = std::clamp(points_.size() / 8, kMinGrowth, kMaxGrowth);
        points_.reserve(points_.size() + growth);
    }
    points_.push_back(point);
}

bool Stroke::Draw(StrokeCanvas& canvas) const {
    if (points_.empty()) return true;
    if (!canvas.SelectPen(width_, colour_)) return false;
    if (tool_ == kNoteToolPen) {
        for (size_t i = 1; i < points_.size(); ++i)
            canvas.Line(points_[i - 1], points_[i], SemiTransparent());
    } else if (tool_ == kNoteToolEraser) {
        // The stroke's width plays no part: the eraser always restores its fixed square.
        for (NotePoint point : points_) canvas.RestoreBackground(ReplayedEraserArea(point.x, point.y));
    }
    canvas.ReleasePen();
    return true;
}

}  // namespace tesmora
