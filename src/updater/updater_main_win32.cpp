// TesmoraOrluUpdaterR's start-up and exit: common controls, sockets, GDI+, the signed-in user's
// settings key of the remote (or the updater's own profile), the language, the instance count, and
// the window run modally until a quit message ends it. Main thread.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "common/platform/config_string_win32.h"
#include "common/platform/desktop_folder_win32.h"
#include "common/platform/registry_win32.h"
#include "common/ui/handles_win32.h"
#include "common/ui/resource_module_win32.h"
#include "updater/updater_window_win32.h"

namespace {

// Shared by every running copy of this program file (the loader shares the section); a second copy
// only starts the remote and ends.
volatile LONG gUpdaterInstances __attribute__((section(".shared"), shared)) = 0;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace tesmora;
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);

    WSADATA sockets;
    if (::WSAStartup(MAKEWORD(2, 2), &sockets) != 0) {
        ::MessageBoxW(nullptr, LoadResourceString(103).c_str(), L"TesmoraOrluUpdaterR", MB_OK | MB_ICONERROR);
        return 1;
    }
    GdiplusSession gdiplus;
    if (!gdiplus.Started()) {
        ::WSACleanup();
        return 1;
    }

    // The remote's settings belong to the person at the screen, not to the administrator account the
    // updater may run under.
    const std::wstring sid = GetInteractiveUserSid();
    if (!sid.empty()) {
        auto registry = std::make_unique<RegistryKey>(HKEY_USERS);
        if (registry->Open(sid + L"\\Software\\TesmoraOrlu\\TesmoraOrluRemocon\\config")) {
            InstallConfigRegistry(std::move(registry));
        }
    }
    const std::wstring language =
        GetConfigString(L"config", L"language", ReadMachineDefault(L"language", L"Kor"));

    const bool another = ::InterlockedIncrement(&gUpdaterInstances) > 1;
    {
        UpdaterWindow window(language, another ? UpdaterCopy::kSecond : UpdaterCopy::kOnly);
        window.DoModal(nullptr);
    }
    ::InterlockedDecrement(&gUpdaterInstances);
    InstallConfigRegistry(nullptr);
    ::WSACleanup();
    return 0;
}
