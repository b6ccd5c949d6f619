#include "platform/com/loaded_libraries.h"

#include "platform/com/retired_threads.h"

#include <filesystem>
#include <map>
#include <mutex>

#include <dlfcn.h>

namespace com {

namespace {

std::mutex g_librariesMutex;

std::map<std::string, LoadedLibrary>& libraries()
{
    static std::map<std::string, LoadedLibrary> loaded;
    return loaded;
}

} // namespace

HRESULT loadServerLibrary(const std::string& path, LoadedLibrary& out, std::string& why)
{
    std::lock_guard lock(g_librariesMutex);
    auto& loaded = libraries();
    if (auto it = loaded.find(path); it != loaded.end()) {
        out = it->second;
        return S_OK;
    }
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        why = "the library " + path + " does not exist";
        return CO_E_DLLNOTFOUND;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = ::dlerror();
        why = "the library " + path + " does not load: " + (error ? error : "unknown error");
        return CO_E_ERRORINDLL;
    }
    LoadedLibrary lib;
    lib.handle = handle;
    lib.getClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    lib.canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(::dlsym(handle, "DllCanUnloadNow"));
    if (!lib.getClassObject) {
        ::dlclose(handle);
        why = "the library " + path + " is not a COM server (it exports no DllGetClassObject)";
        return CO_E_ERRORINDLL;
    }
    loaded[path] = lib;
    out = lib;
    return S_OK;
}

void freeUnusedServerLibraries()
{
    // A retired thread may still be on its way out of a library's code.
    joinRetiredThreads();
    std::lock_guard lock(g_librariesMutex);
    auto& loaded = libraries();
    for (auto it = loaded.begin(); it != loaded.end();) {
        if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
            ::dlclose(it->second.handle);
            it = loaded.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace com
