// The UI probe's process actions: starting a program (detached from the probe's own standard streams,
// so that a test runner's output pipe is never held open by it), waiting for a process to end with its
// exit code, and ending a process. A process is named by its Windows process id; kill and wait-exit
// can insist on the end of its image path, so that a stale id reused by someone else's process is
// never touched. The probe's one thread.
#pragma once

#include "probe_common_win32.h"

int RunStart(const ProbeOptions& options);
int RunWaitExit(const ProbeOptions& options);
int RunKill(const ProbeOptions& options);
