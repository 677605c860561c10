// Language choice and library loading (see language_library_win32.h).
#include "common/ui/language_library_win32.h"

#include <mutex>

#include "common/ui/resource_module_win32.h"

namespace tesmora {

namespace {

std::mutex gCodeLock;
std::wstring gLanguageCode = kKoreanLanguageCode;

void SetLanguageCode(const std::wstring& code) {
    std::lock_guard lock(gCodeLock);
    gLanguageCode = code;
}

}  // namespace

std::wstring LanguageLibraryPath(const std::wstring& code) {
    return L".\\language\\TesmoraOrluRemocon" + code + L".dll";
}

HMODULE ChooseLanguage(const std::wstring& code) {
    SetLanguageCode(kKoreanLanguageCode);
    if (code == kKoreanLanguageCode) return nullptr;
    // The library only holds resources: it is mapped as an image for its resources and none of its
    // code runs, so a file planted in the current directory cannot run code in this (elevated)
    // process. Systems before Vista do not know the image-resource flag; they map it as plain data.
    std::wstring path = LanguageLibraryPath(code);
    HMODULE library =
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!library) library = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!library) return nullptr;
    SetResourceModule(library);
    SetLanguageCode(code);
    return library;
}

std::wstring LanguageCode() {
    std::lock_guard lock(gCodeLock);
    return gLanguageCode;
}

}  // namespace tesmora
