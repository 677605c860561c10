// GetModuleFolder: the folder of the running program file, where its INI files and language
// libraries lie. Any thread.
#pragma once

#include <string>

// The program file's full path cut before its last backslash (no trailing backslash); empty when the
// path cannot be had or holds no backslash.
std::wstring GetModuleFolder();
