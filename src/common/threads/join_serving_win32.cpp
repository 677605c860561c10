// Joining a worker while serving sent messages (see join_serving_win32.h).
#include "common/threads/join_serving_win32.h"

#include <windows.h>

namespace tesmora {

namespace {

constexpr DWORD kJoinPollMs = 5;

}  // namespace

void JoinServingSentMessages(Worker& worker) {
    while (!worker.Finished()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kJoinPollMs, QS_SENDMESSAGE);
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // sent messages only
    }
    worker.Join();
}

}  // namespace tesmora
