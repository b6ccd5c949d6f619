#pragma once
// The server libraries the class registry has opened: each is dlopened once,
// shared by every class it serves, and closed when its DllCanUnloadNow says so.

#include "platform/com/class_registry.h"

#include <string>

namespace com {

struct LoadedLibrary {
    void* handle = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
};

// Opens the library at path, or finds it open. Fails with CO_E_DLLNOTFOUND
// when no file is there, and CO_E_ERRORINDLL when the file does not load
// (another architecture, a missing dependency, not a library) or exports no
// DllGetClassObject; `why` then says what the loader reported.
HRESULT loadServerLibrary(const std::string& path, LoadedLibrary& out, std::string& why);

// Joins the retired threads (retired_threads.h), then closes every open
// library whose DllCanUnloadNow answers S_OK.
void freeUnusedServerLibraries();

} // namespace com
