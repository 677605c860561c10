// A test-only program that crashes on purpose with the remote's own crash handler installed, so that the
// handler's dump file and message can be checked without a crash switch in the shipped program:
//   crash_provoker [language code [main | thread]]
// It chooses the language library the way the remote does (".\language\..." from the current folder;
// default "Kor"), then writes through a null pointer on its main thread or on a second thread. Main
// thread (and the crashing thread, where the handler runs).
#include <windows.h>

#include <string>
#include <thread>

#include "app/crash_handler_win32.h"
#include "common/ui/language_library_win32.h"

using namespace tesmora;

namespace {

void Crash() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    InstallCrashHandler();
    HMODULE library = ChooseLanguage(argc > 1 ? argv[1] : kKoreanLanguageCode);
    if (argc > 2 && std::wstring(argv[2]) == L"thread") {
        std::thread crashing(Crash);
        crashing.join();
    } else {
        Crash();
    }
    if (library) ::FreeLibrary(library);
    return 0;  // not reached: the handler ends the process
}
