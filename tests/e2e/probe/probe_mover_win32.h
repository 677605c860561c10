// The UI probe's move-window action: a window of its own that moves across the screen for a while,
// painted with a high-contrast pattern, so that a test sees the screen change under another program
// (a screen upload, a change tracker) and a lossy copy of it differs visibly. It keeps to the lower
// half of the screen and away from its right-most 200 pixels, where the remote's panel sits. The
// probe's one thread, with its own message loop.
#pragma once

#include "probe_common_win32.h"

// move-window --seconds S [--size WxH] [--step DX,DY]: prints the window's record (hwnd, pid, rect)
// once it is shown, moves it every 50 ms, and ends (0) when the time is up or the window is closed.
int RunMoveWindow(const ProbeOptions& options);
