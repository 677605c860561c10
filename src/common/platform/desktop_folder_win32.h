// The desktop folder of the person at the screen, also when the program runs under another account
// (for example started by an elevated updater). UI thread (it may ask the shell).
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

// The string form of the security id of the signed-in user: the owner of the first "explorer.exe"
// in the first active terminal session. Empty when any step fails.
std::wstring GetInteractiveUserSid();

// The "Desktop" value of the interactive user's Shell Folders key, else the current user's (when
// no interactive user is found); when that key or value is missing, the shell's desktop directory
// for `window`; else `fallback`.
std::wstring GetUserDesktopFolder(const std::wstring& fallback, HWND window);

}  // namespace tesmora
