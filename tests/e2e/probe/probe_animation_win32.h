// The UI probe's speed actions. animate: a window over the whole primary screen whose picture scrolls
// sideways every 40 ms, so that every part of a screen upload changes in every frame, as under a
// full-screen video or animation on the pad. grab-times: how long the ways of copying the whole
// screen into a bitmap take here (the upload's grab and its alternatives), so that a display set-up
// or a grab can be chosen by measurement. The probe's one thread (grab-times also starts one of its
// own and waits for it).
#pragma once

#include "probe_common_win32.h"

// animate --seconds S: prints the window's record (hwnd, pid, rect) once it is shown, scrolls its
// picture every 40 ms, and ends (0) when the time is up or the window is closed; then prints the
// number of pictures painted (painted=N).
int RunAnimate(const ProbeOptions& options);

// grab-times [--seconds S]: for each way of grabbing, one record: way, width, height, and the
// median, least and largest milliseconds of several grabs (after a first, untimed one). Each way is
// timed for about S seconds (default 2).
int RunGrabTimes(const ProbeOptions& options);
