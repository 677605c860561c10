// StrokeHistory: the overlay's strokes in drawing order, with what the undo button takes back. Each
// stroke that leaves a mark is one undo step, and so is "clear all": one undo brings back every
// stroke it removed. A tap with the pen that draws nothing (one point) stays in the drawing, as the
// drawing's record of the tap, but is no step of its own: undo passes over it. Note thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "note/stroke.h"

namespace tesmora {

class StrokeHistory {
public:
    using Strokes = std::vector<std::unique_ptr<Stroke>>;

    const Strokes& All() const { return strokes_; }
    size_t Count() const { return strokes_.size(); }
    bool Empty() const { return strokes_.empty(); }

    // A new stroke, the current one until the next; answers it.
    Stroke& Add(std::unique_ptr<Stroke> stroke);
    // Removes every stroke, as one undo step when any of them left a mark.
    void Clear();
    // Takes back the newest step (a stroke, or a "clear all"); false when there is none.
    bool Undo();
    bool CanUndo() const;
    // Forgets strokes and steps (the drawing is closed).
    void Reset();

private:
    // True for a stroke that leaves no mark when replayed: no points, a pen tap, an unknown tool.
    static bool LeavesNoMark(const Stroke& stroke);

    // Every stroke here is newer than the newest clear below, so undo takes strokes back first.
    Strokes strokes_;
    // What each "clear all" that removed a mark took away, oldest first.
    std::vector<Strokes> cleared_;
};

}  // namespace tesmora
