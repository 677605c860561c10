// The remote's entry point: the application object does everything. Main thread.
#include <windows.h>

#include "app/remocon_app_win32.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPWSTR /*commandLine*/, int /*show*/) {
    tesmora::RemoconApp app;
    return app.Run();
}
