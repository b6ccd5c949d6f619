#pragma once
// What an in-process server library needs besides its classes: the count of
// live objects and locks behind DllCanUnloadNow, a class factory template,
// and its own path for DllRegisterServer.
//
// Include it in server libraries only. They are built with hidden visibility,
// so these inline variables are the library's own.

#include "platform/com/class_registry.h"
#include "platform/com/object.h"

#include <atomic>
#include <string>

#include <dlfcn.h>

#define VELMOR_COM_ENTRY extern "C" __attribute__((visibility("default")))

namespace com::server {

inline std::atomic<long> liveObjects{0};
inline std::atomic<long> serverLocks{0};

// Base of every object a server hands out; counts it for DllCanUnloadNow.
struct ModuleObject {
    ModuleObject() { ++liveObjects; }
    ModuleObject(const ModuleObject&) { ++liveObjects; }
    ModuleObject& operator=(const ModuleObject&) = default;
    ~ModuleObject() { --liveObjects; }
};

inline HRESULT canUnloadNow() { return liveObjects.load() == 0 && serverLocks.load() == 0 ? S_OK : S_FALSE; }

// Creates T with `new T()` and answers riid from it.
template <class T>
class ClassFactory final : public Implements<IClassFactory>, private ModuleObject {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        T* object = new (std::nothrow) T();
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT LockServer(int lock) override
    {
        lock ? ++serverLocks : --serverLocks;
        return S_OK;
    }
};

template <class T>
HRESULT getClassObject(REFIID riid, void** ppv)
{
    auto* factory = new (std::nothrow) ClassFactory<T>();
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

// The path of the library this function is compiled into.
inline std::string thisLibraryPath()
{
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&thisLibraryPath), &info) || !info.dli_fname) return {};
    char resolved[4096];
    if (::realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

} // namespace com::server
