// PumpWait: waits while the calling thread's windows keep painting and reacting. Calling thread's
// message queue only.
#pragma once

namespace tesmora {

// How a wait takes the thread's messages between its 5 ms sleeps.
enum class PumpMode {
    // Every waiting message on each step; a steady stream of messages lengthens the wait.
    kDrainEachStep,
    // At most one message on each step, and the wait ends once its time has passed however many
    // messages keep arriving.
    kOneMessagePerStep,
};

// Waits about `milliseconds`, dispatching the thread's window messages between 5 ms sleeps. A quit
// message ends the wait early and stays in the queue for the thread's own message loop.
void PumpWait(unsigned milliseconds, PumpMode mode);

}  // namespace tesmora
