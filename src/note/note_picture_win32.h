// Saving a note drawing as a JPEG picture at quality 100. The picture is encoded in memory, written
// to a temporary file beside the final one, flushed and only then renamed to its final name, so a
// folder or disk that fails part-way never leaves a half-written picture under that name. Note
// thread only (GDI+ must be started on it).
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

class NoteOverlay;

// The folder the pictures go to: "NoteSave" on the user's desktop.
std::wstring NoteSaveFolder();

// Renders the overlay's background and strokes and writes them to `folder`\`name`. False, with
// nothing left under either name, when the picture cannot be encoded or written.
bool SaveNotePicture(const NoteOverlay& overlay, const std::wstring& folder, const std::wstring& name);

}  // namespace tesmora
