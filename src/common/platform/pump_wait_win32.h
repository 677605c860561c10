// PumpWait: waits while the calling thread's windows keep painting and reacting. Calling thread's
// message queue only.
#pragma once

namespace tesmora {

// Waits about `milliseconds`, dispatching the thread's window messages between 5 ms sleeps. Mode 1
// takes at most one message per pass and also ends once `milliseconds` have passed, however many
// messages keep arriving; any other mode takes every waiting message on each pass. A quit message
// ends the wait early and stays in the queue for the thread's own message loop.
void PumpWait(unsigned milliseconds, int mode);

}  // namespace tesmora
