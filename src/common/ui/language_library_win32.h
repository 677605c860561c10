// The user-interface language: the code kept in the application profile ("Kor", "Eng", "Japan"),
// and the language library ".\language\TesmoraOrluRemocon<code>.dll" (relative to the current
// directory) that, when it loads, becomes the resource module so that every string, dialog and picture
// comes from it. Chosen once on the main thread at start-up; read by any thread afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

inline constexpr wchar_t kKoreanLanguageCode[] = L"Kor";

// The library's path for a language code.
std::wstring LanguageLibraryPath(const std::wstring& code);

// Main thread, at start-up. For a code other than "Kor" loads its library as a resource module and
// makes it the process's resource module; answers the module (the caller frees it at exit), or null
// when the code is "Kor" or the library is missing or unloadable, in which case the language becomes
// "Kor" and the program's own resources stay in use.
HMODULE ChooseLanguage(const std::wstring& code);

// Any thread: "Kor" or the code whose library was loaded.
std::wstring LanguageCode();

}  // namespace tesmora
