// The UI probe's input actions: clicking a control (BM_CLICK, posted mouse messages or synthesised
// input), keys and text (posted key messages or synthesised input), and arbitrary window messages.
// Messages that may open a modal window in the target are posted, so the probe never waits on it.
// The probe's one thread.
#pragma once

#include "probe_common_win32.h"

int RunClick(const ProbeOptions& options);
// Presses the left button at the first point, moves through the others and releases it (real input).
int RunDrag(const ProbeOptions& options);
int RunKey(const ProbeOptions& options);
int RunSend(const ProbeOptions& options);

// A message by name (WM_CLOSE, BM_CLICK, WM_APP+0x64, ...) or number; false when unknown.
bool ParseMessage(const std::wstring& text, UINT& message);
