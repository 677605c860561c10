// The strokes and their undo steps (see stroke_history.h). Note thread only.
#include "note/stroke_history.h"

#include <algorithm>
#include <iterator>

namespace tesmora {

bool StrokeHistory::LeavesNoMark(const Stroke& stroke) {
    if (stroke.Points().empty()) return true;
    if (stroke.Tool() == kNoteToolPen) return stroke.Points().size() < 2;
    return stroke.Tool() != kNoteToolEraser;
}

Stroke& StrokeHistory::Add(std::unique_ptr<Stroke> stroke) {
    strokes_.push_back(std::move(stroke));
    return *strokes_.back();
}

void StrokeHistory::Clear() {
    const bool marks = std::any_of(strokes_.begin(), strokes_.end(),
                                   [](const auto& stroke) { return !LeavesNoMark(*stroke); });
    if (marks) cleared_.push_back(std::move(strokes_));
    strokes_.clear();
}

bool StrokeHistory::CanUndo() const {
    return !cleared_.empty() || std::any_of(strokes_.begin(), strokes_.end(),
                                            [](const auto& stroke) { return !LeavesNoMark(*stroke); });
}

bool StrokeHistory::Undo() {
    auto marked = std::find_if(strokes_.rbegin(), strokes_.rend(),
                               [](const auto& stroke) { return !LeavesNoMark(*stroke); });
    if (marked != strokes_.rend()) {
        // The newest stroke that shows, and the taps after it, which show nothing.
        strokes_.erase(std::prev(marked.base()), strokes_.end());
        return true;
    }
    if (cleared_.empty()) return false;
    // Taps made after the clear stay, after the strokes it brings back.
    Strokes restored = std::move(cleared_.back());
    cleared_.pop_back();
    std::move(strokes_.begin(), strokes_.end(), std::back_inserter(restored));
    strokes_ = std::move(restored);
    return true;
}

void StrokeHistory::Reset() {
    strokes_.clear();
    cleared_.clear();
}

}  // namespace tesmora
