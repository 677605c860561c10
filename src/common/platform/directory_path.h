// The path walk behind CreateDirectoryPath: which folders, from the outermost down, make a path
// exist. Portable so the climbing rules are tested without a file system. Any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tesmora {

// Fills `folders` with every folder to create, outermost first, after turning "/" into "\", dropping
// "." and empty components and letting ".." remove the component before it. The leading backslashes
// and a drive ("C:") form the root, which is never created. Answers false (and leaves `folders`
// empty) when ".." would climb above the root.
bool PlanDirectoryPath(std::u16string_view path, std::vector<std::u16string>& folders);

}  // namespace tesmora
