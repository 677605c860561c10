// The module that supplies every user-interface resource (strings, dialog templates, bitmaps, cursors,
// icons, the logo and the loading animation): the loaded language library, or the program itself.
// Set once at start-up on the main thread before other threads start; read by any thread.
#pragma once

#include <windows.h>

#include <string>

namespace tesmora {

// Any thread. The program's own module until SetResourceModule is called.
HMODULE ResourceModule();
// Main thread, at start-up. Null goes back to the program's own module.
void SetResourceModule(HMODULE module);

// String `id` of the resource module; empty when it has none. Any thread.
std::wstring LoadResourceString(UINT id);
// A resource's bytes in the resource module (they stay mapped while the module is loaded); false when
// the module has no such resource.
bool FindResourceBytes(const wchar_t* type, UINT id, const void*& data, DWORD& size);

}  // namespace tesmora
