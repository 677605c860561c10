// The UI probe's screenshot action: what the screen shows of a window or a control (overlapping
// windows included, as the user sees it), or of the whole screen, saved as PNG or BMP. The probe's one
// thread.
#pragma once

#include "probe_common_win32.h"

int RunScreenshot(const ProbeOptions& options);
