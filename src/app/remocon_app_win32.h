// RemoconApp: the remote's application object. Start-up prepares the process (crash handler, common
// controls, COM, sockets), chooses the language library, refuses old systems and a second instance,
// then runs the main dialog modally; the program ends with it. Exit undoes what start-up did.
// Main thread only.
#pragma once

#include <windows.h>

#include <string>

#include "app/remocon_command_line.h"
#include "app/single_instance_win32.h"
#include "common/ui/handles_win32.h"

namespace tesmora {

class RemoconApp {
public:
    RemoconApp() = default;
    RemoconApp(const RemoconApp&) = delete;
    RemoconApp& operator=(const RemoconApp&) = delete;
    ~RemoconApp();

    // Start-up, the main dialog, exit; answers the process exit code.
    int Run();

    // Start-up, in the specified order. Always false: no message loop follows the main dialog.
    bool InitInstance();
    int ExitInstance();

    const RemoconCommandLine& CommandLine() const { return commandLine_; }

private:
    bool comStarted_ = false;
    bool socketsStarted_ = false;
    SingleInstance instance_;
    UniqueModule languageLibrary_;
    RemoconCommandLine commandLine_;
};

}  // namespace tesmora
