// The UI probe's window actions: finding top-level windows (by handle, title, class, process), waiting
// for them to come or go, listing a window's controls, and reading and setting texts and states. Every
// message to another program's window is sent with a time-out, so a hung program cannot hang the
// probe. The probe's one thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "probe_common_win32.h"

inline constexpr DWORD kDefaultMessageTimeout = 5000;
inline constexpr DWORD kDefaultWaitTimeout = 10000;

// Top-level windows matching the options' selection, in z-order.
std::vector<HWND> FindTopLevelWindows(const ProbeOptions& options);
// The one window the options select (the first with --first); null with the reason in `error`.
HWND SelectWindow(const ProbeOptions& options, std::wstring& error);
// The selected window's control --id, or the window itself without --id.
HWND SelectTarget(const ProbeOptions& options, std::wstring& error);
// The first descendant of `window` whose control id is `id`, or null.
HWND FindControl(HWND window, int id);

std::wstring ClassNameOf(HWND window);
// The text through WM_GETTEXT (so edit controls of other programs answer too); empty on time-out.
std::wstring TextOf(HWND window);

int RunFind(const ProbeOptions& options);
// Waits until a matching window exists (gone = false) or none does (gone = true).
int RunWait(const ProbeOptions& options, bool gone);
int RunChildren(const ProbeOptions& options);
int RunText(const ProbeOptions& options);
int RunSetText(const ProbeOptions& options);
int RunState(const ProbeOptions& options);
