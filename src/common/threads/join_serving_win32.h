// Joining a worker from a thread that owns windows: the thread being joined may be waiting inside
// SendMessage for this one (a frame handed to the panel, a window message of its own), so the join
// serves the messages other threads send meanwhile, and nothing else. Owner's thread only.
#pragma once

#include "common/threads/worker.h"

namespace tesmora {

// Joins the worker while serving the messages other threads send to this one.
void JoinServingSentMessages(Worker& worker);

}  // namespace tesmora
