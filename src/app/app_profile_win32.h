// The application profile: a few string values of the remote kept in the user's registry under
// HKEY_CURRENT_USER\Software\<root>\<application>\<section> (root "TesmoraOrlu", set at start-up;
// application = the program file's name without extension). Any thread; each call opens its own key.
#pragma once

#include <string>

// Main thread, at start-up, before other threads run.
void SetProfileRoot(const std::wstring& root);
// "Software\<root>\<application>" with the current root and program file.
std::wstring ProfileKeyPath();

// The value, or `fallback` when the key or value is missing or unreadable.
std::wstring ReadProfileString(const std::wstring& section, const std::wstring& name,
                               const std::wstring& fallback);
// Writes the value, creating the keys as needed; false when the system refuses.
bool WriteProfileString(const std::wstring& section, const std::wstring& name, const std::wstring& value);
