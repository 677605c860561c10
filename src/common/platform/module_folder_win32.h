// The running program file's path and folder (where its INI files and language libraries lie), and
// its name, which names its profile key. One rule for all of them: the path is read whole, however
// long, or not at all. Any thread.
#pragma once

#include <string>

namespace tesmora {

// The program file's full path; empty when it cannot be had.
std::wstring GetProgramFilePath();
// The program file's full path cut before its last backslash (no trailing backslash); empty when the
// path cannot be had or holds no backslash.
std::wstring GetModuleFolder();
// The program file's name without folder and extension; empty when the path cannot be had.
std::wstring GetProgramName();

}  // namespace tesmora
