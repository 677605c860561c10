// The process-wide resource module (see resource_module_win32.h).
#include "common/ui/resource_module_win32.h"

#include <atomic>

namespace tesmora {

namespace {

std::atomic<HMODULE> gResourceModule{nullptr};

}  // namespace

HMODULE ResourceModule() {
    HMODULE module = gResourceModule.load(std::memory_order_acquire);
    return module ? module : ::GetModuleHandleW(nullptr);
}

void SetResourceModule(HMODULE module) {
    gResourceModule.store(module, std::memory_order_release);
}

std::wstring LoadResourceString(UINT id) {
    // A zero buffer length answers a pointer into the string table itself (not terminated).
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

bool FindResourceBytes(const wchar_t* type, UINT id, const void*& data, DWORD& size) {
    HMODULE module = ResourceModule();
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info) return false;
    HGLOBAL loaded = ::LoadResource(module, info);
    size = ::SizeofResource(module, info);
    data = loaded ? ::LockResource(loaded) : nullptr;
    return data != nullptr && size > 0;
}

}  // namespace tesmora
