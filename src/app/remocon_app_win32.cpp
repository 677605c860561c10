// The remote's start-up and exit (see remocon_app_win32.h). Main thread only.
#include "app/remocon_app_win32.h"

#include <winsock2.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "common/config/config_files_win32.h"
#include "common/platform/config_string_win32.h"
#include "common/platform/debug_print_win32.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/support_log.h"
#include "app/crash_handler_win32.h"
#include "common/ui/language_library_win32.h"
#include "common/platform/os_version_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "panel/control_panel_win32.h"
#include "resource.h"
#include "session/version_gate.h"

namespace tesmora {

namespace {

std::vector<std::u16string> CommandLineArguments() {
    std::vector<std::u16string> arguments;
    int count = 0;
    wchar_t** list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!list) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(ToU16(list[i]));
    ::LocalFree(list);
    return arguments;
}

// config.ini's "logfile" turns the support log on for all later traces. After the single-instance
// check, so that one process at a time writes the file.
void OpenSupportLog() {
    const std::wstring config = GetModuleFolder() + L"\\" + ToWide(kConfigIniName);
    const std::wstring setting = ReadIniString(config, ToWide(kIniSection), ToWide(kSupportLogKey), L"");
    if (!OpenTraceLog(ToU16(setting), L"TesmoraOrluRemocon")) return;
    DebugPrint(L"Remocon started: version %s\n", ToWide(kRemoteVersion).c_str());
}

}  // namespace

RemoconApp::~RemoconApp() {
    ExitInstance();
}

int RemoconApp::Run() {
    InitInstance();
    return ExitInstance();
}

bool RemoconApp::InitInstance() {
    InstallCrashHandler();

    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);
    comStarted_ = SUCCEEDED(::CoInitialize(nullptr));

    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        std::wstring text = LoadResourceString(IDS_SOCKETS_FAILED);
        ::MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONSTOP);
        return false;
    }
    socketsStarted_ = true;

    // The teacher's own choice, else the pad's, which the installer writes for every account.
    std::wstring code =
        ReadProfileString(L"config", L"language", ReadMachineDefault(L"language", kKoreanLanguageCode));
    languageLibrary_.Reset(ChooseLanguage(code));

    if (!IsSupportedOsVersion(QueryOsVersion())) {
        ShowCustomMessage(LoadResourceString(IDS_OLD_WINDOWS).c_str());
        return false;
    }

    commandLine_.ParseArguments(CommandLineArguments());

    // A second start ends here, silently; the running instance is not disturbed.
    if (!instance_.Enter()) return false;
    OpenSupportLog();

    // setting.ini is made ready (created, or its encoding repaired so that non-ASCII text survives the
    // private-profile functions) and its path known before anything reads or writes it: the panel's
    // start-up reads the relay from it, and the login prepares it again on every confirmation.
    PrepareIniFile(IniFile::Setting);

    ControlPanel panel;
    panel.DoModal(nullptr);
    DebugPrint(L"Remocon ends\n");
    return false;
}

int RemoconApp::ExitInstance() {
    if (languageLibrary_) {
        SetResourceModule(nullptr);
        languageLibrary_.Reset();
    }
    if (comStarted_) {
        ::CoUninitialize();
        comStarted_ = false;
    }
    instance_.Leave();
    if (socketsStarted_) {
        ::WSACleanup();
        socketsStarted_ = false;
    }
    return 0;
}

}  // namespace tesmora
