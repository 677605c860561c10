// What the updater reads from the system about files and processes: version resources, sizes, and
// whether a program runs. Any thread (the updater uses them on its window's thread).
#pragma once

#include <string>

#include "updater/update_rules.h"

namespace tesmora {

// The FileVersion string of the first translation of the file's version resource; empty when the
// file is missing or has no version resource or translation list; "Unable to get Version Info" when
// the string is missing.
std::wstring ReadFileVersion(const std::wstring& path);
// The same for this program; "1.0.0.0" instead of the empty text.
std::wstring ReadOwnVersion();
// Size and version of a file, as the out-of-date rules compare them.
FileFacts ReadFileFacts(const std::wstring& path);
// True when a running process has the program file name `fileName` (letter case ignored).
bool IsProgramRunning(const std::wstring& fileName);
bool FileExists(const std::wstring& path);

}  // namespace tesmora
