// The single-instance count: a counter shared by every process started from the same program file,
// raised when the remote starts and lowered when it ends, so that a second start can end at once.
// Main thread, at start-up and exit.
#pragma once

namespace tesmora {

class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    // Lowers the count again if Enter raised it.
    ~SingleInstance() { Leave(); }

    // Raises the count in one indivisible step; true when this is the only running instance.
    bool Enter();
    void Leave();

    // The count as other processes see it.
    static long Count();

private:
    bool counted_ = false;
};

}  // namespace tesmora
