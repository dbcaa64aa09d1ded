// Functions of system DLLs that older Windows lack, or that the system exports by number only.
#pragma once

#include <windows.h>

namespace tarvela::win {

// The function `name` of `library`, or null when this Windows lacks it. A library no module has
// loaded yet is loaded, and stays loaded for the life of the process, so a function looked up
// once may be kept.
template <typename Function>
Function system_function(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) module = LoadLibraryW(library);
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tarvela::win
