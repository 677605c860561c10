// WriteFileAtomically: the one way both programs replace a file's contents, so that a reader (the
// other program, the next start, a teacher opening a saved picture) finds the old file or the whole
// new one, never a half-written one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tesmora {

enum class FileWriteResult {
    kWritten,      // the file holds exactly the bytes given
    kNotCreated,   // the temporary file could not be created (folder missing, no right, name taken)
    kNotWritten,   // writing or flushing failed (disk full, device gone)
    kNotReplaced,  // the whole temporary could not take the file's place (the file is in use)
};

// Writes `bytes` to "<path>.part", flushes them to the disk, and renames the temporary over `path`.
// On every failure the temporary is removed and `path` is left as it was.
FileWriteResult WriteFileAtomically(const std::wstring& path, std::span<const uint8_t> bytes);

}  // namespace tesmora
