// CreateDirectoryPath: makes every folder of a path exist (the note tool's save folder). Any thread.
#pragma once

#include <string>

namespace tesmora {

// Creates each folder of `path` from the outermost down ("/" taken as "\", "." and ".." resolved).
// False, and nothing created, when ".." climbs above the root; otherwise true, whether or not the
// folders could be created (one that exists already is fine; a later write reports the rest).
bool CreateDirectoryPath(const std::wstring& path);

}  // namespace tesmora
