// The UI probe's compare action: how far two pictures of the same size differ, as the mean absolute
// error of each colour channel, so that a script can tell "the same picture, a little lossy" from "a
// different picture" (a JPEG of the screen against a screenshot, two screenshots in a row). Any file
// GDI+ decodes (PNG, BMP, JPEG, ...). The probe's one thread.
#pragma once

#include "probe_common_win32.h"

// compare A B [--limit X]: prints `mae=R,G,B max peak changed width height pixels`; with --limit,
// fails (after the record) when a channel's error is X or more.
int RunCompare(const ProbeOptions& options);
