// The crash handler (see crash_handler_win32.h).
#include "app/crash_handler_win32.h"

#include <dbghelp.h>

#include <atomic>

#include "common/ui/language_library_win32.h"
#include "common/platform/module_folder_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/message_box_dialog_win32.h"

namespace tesmora {

namespace {

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION,
                                                PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);

std::atomic<bool> gHandling{false};

// DbgHelp from the system folder: a copy planted beside the program must not run in this process.
HMODULE LoadDbgHelp() {
    wchar_t folder[MAX_PATH];
    UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L"\\DbgHelp.dll";
    return ::LoadLibraryW(path.c_str());
}

}  // namespace

void InstallCrashHandler() {
    ::SetUnhandledExceptionFilter(RemoconCrashHandler);
}

bool WriteCrashDump(const std::wstring& path, EXCEPTION_POINTERS* exception) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    BOOL written = FALSE;
    if (UniqueModule dbgHelp(LoadDbgHelp()); dbgHelp) {
        auto writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
            reinterpret_cast<void (*)()>(::GetProcAddress(dbgHelp.Get(), "MiniDumpWriteDump")));
        MINIDUMP_EXCEPTION_INFORMATION information{};
        information.ThreadId = ::GetCurrentThreadId();
        information.ExceptionPointers = exception;
        information.ClientPointers = FALSE;  // the pointers belong to this, the dumping, process
        if (writeDump) {
            written = writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.Get(), MiniDumpNormal,
                                exception ? &information : nullptr, nullptr, nullptr);
        }
    }
    if (!written) {
        file.Reset();
        ::DeleteFileW(path.c_str());
    }
    return written != FALSE;
}

std::wstring CrashMessageText(const std::wstring& languageCode, CrashDump dump) {
    const bool korean = languageCode == kKoreanLanguageCode;
    std::wstring text = korean ? L"Tesmora Orlu Remocon이 예기치 않게 종료되었습니다."
                               : L"Tesmora Orlu Remocon ended unexpectedly.";
    if (dump == CrashDump::kMissing) return text;
    text += korean
                ? L"\nTesmora Orlu Remocon 설치 폴더에 덤프파일이 생성되었습니다.\n"
                  L"생성된 RemoconDump.dmp파일을 개발사로 보내주시면 빠르게 오류를 수정할 수 있습니다."
                : L"\nDump file has been generated in Tesmora Orlu Remocon install folder.\n"
                  L"The error may be corrected if you send RemoconDump.dmp file to the development company.";
    return text;
}

LONG WINAPI RemoconCrashHandler(EXCEPTION_POINTERS* exception) {
    // A fault inside the handler (or a second thread crashing meanwhile) must not start it again.
    if (gHandling.exchange(true)) return EXCEPTION_EXECUTE_HANDLER;
    std::wstring folder = GetModuleFolder();
    bool dumped = !folder.empty() && WriteCrashDump(folder + L"\\" + kCrashDumpFileName, exception);
    ShowCustomMessage(
        CrashMessageText(LanguageCode(), dumped ? CrashDump::kWritten : CrashDump::kMissing).c_str());
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace tesmora
