// The remote's crash handler: for an unhandled exception it writes a minidump "RemoconDump.dmp" beside
// the program (through DbgHelp, loaded when needed), tells the user in the custom message box, and lets
// the process end. Installed on the main thread at start-up; runs on whichever thread crashed.
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

inline constexpr wchar_t kCrashDumpFileName[] = L"RemoconDump.dmp";

// Main thread, at start-up: makes the handler the process's filter for unhandled exceptions.
void InstallCrashHandler();

// The handler itself (also called directly by tests). Answers EXCEPTION_EXECUTE_HANDLER.
LONG WINAPI RemoconCrashHandler(EXCEPTION_POINTERS* exception);

// Writes a normal minidump of this process to `path` (created or overwritten), with the exception of
// the calling thread when given. False when DbgHelp or the file is not available; a file that was
// begun but not written is removed, so that no broken dump is left to be sent.
bool WriteCrashDump(const std::wstring& path, EXCEPTION_POINTERS* exception);

enum class CrashDump { kWritten, kMissing };

// The message for the user in a language ("Kor": Korean; any other: English). Only a written dump is
// mentioned: without one the message says no more than that the program ended unexpectedly.
std::wstring CrashMessageText(const std::wstring& languageCode, CrashDump dump);

}  // namespace tesmora
