// CRemoconApp: the remote's application object. Start-up prepares the process (crash handler, common
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

class CRemoconApp {
public:
    CRemoconApp() = default;
    CRemoconApp(const CRemoconApp&) = delete;
    CRemoconApp& operator=(const CRemoconApp&) = delete;
    ~CRemoconApp();

    // Start-up, the main dialog, exit; answers the process exit code.
    int Run();

    // Start-up, in the specified order. Always false: no message loop follows the main dialog.
    bool InitInstance();
    int ExitInstance();

    const CRemoconCommandLineInfo& CommandLine() const { return commandLine_; }

private:
    bool comStarted_ = false;
    bool socketsStarted_ = false;
    SingleInstance instance_;
    UniqueModule languageLibrary_;
    CRemoconCommandLineInfo commandLine_;
};

}  // namespace tesmora
