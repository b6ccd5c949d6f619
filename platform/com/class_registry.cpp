#include "platform/com/class_registry.h"

#include "platform/com/apartment.h"
#include "platform/com/class_lookup.h"
#include "platform/com/loaded_libraries.h"
#include "platform/com/registry_search_path.h"
#include "platform/profile/profile_file.h"

#include <cstdlib>

#include <dlfcn.h>

namespace com {

namespace {

std::string clsidSection(REFCLSID clsid) { return "CLSID\\" + toString(clsid); }
std::string progIdSection(std::string_view progId) { return "ProgID\\" + std::string(progId); }

RegistrationTarget& registrationTarget()
{
    static RegistrationTarget target;
    return target;
}

std::filesystem::path registrationFile()
{
    const auto& target = registrationTarget();
    return target.file.empty() ? std::filesystem::path(classRegistryPath()) : target.file;
}

// The library path as the registration target stores it.
std::string storedLibraryPath(const std::string& libraryPath)
{
    namespace fs = std::filesystem;
    const auto& folder = registrationTarget().relativeTo;
    if (folder.empty()) return libraryPath;
    std::error_code ec;
    const fs::path library = fs::weakly_canonical(libraryPath, ec);
    if (ec) return libraryPath;
    const fs::path base = fs::weakly_canonical(folder, ec);
    if (ec) return libraryPath;
    const fs::path relative = library.lexically_relative(base);
    return relative.empty() ? libraryPath : relative.string();
}

} // namespace

std::string classRegistryPath()
{
    if (const char* home = std::getenv("VELMOR_HOME"); home && *home) return std::string(home) + "/classes.reg";
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    return base + "/velmor-sound-recorder/classes.reg";
}

void setRegistrationTarget(RegistrationTarget target) { registrationTarget() = std::move(target); }

HRESULT registerClass(const ClassRegistration& reg)
{
    namespace fs = std::filesystem;
    const fs::path file = registrationFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    profile::IniDocument doc;
    if (profile::loadDocument(file, doc)) return REGDB_E_WRITEREGDB;
    const std::string clsid = toString(reg.clsid);
    const std::string section = clsidSection(reg.clsid);
    doc.removeSection(section);
    doc.set(section, "Description", reg.description);
    doc.set(section, "InprocServer32", storedLibraryPath(reg.libraryPath));
    doc.set(section, "ThreadingModel", reg.threadingModel);
    if (!reg.progId.empty()) {
        doc.set(section, "ProgID", reg.progId);
        doc.removeSection(progIdSection(reg.progId));
        doc.set(progIdSection(reg.progId), "CLSID", clsid);
    }
    if (!reg.versionIndependentProgId.empty()) {
        doc.set(section, "VersionIndependentProgID", reg.versionIndependentProgId);
        const std::string vi = progIdSection(reg.versionIndependentProgId);
        doc.removeSection(vi);
        doc.set(vi, "CLSID", clsid);
        if (!reg.progId.empty()) doc.set(vi, "CurVer", reg.progId);
    }
    return profile::saveDocument(file, doc) ? REGDB_E_WRITEREGDB : S_OK;
}

HRESULT unregisterClass(REFCLSID clsid)
{
    const std::filesystem::path file = registrationFile();
    profile::IniDocument doc;
    if (profile::loadDocument(file, doc)) return REGDB_E_WRITEREGDB;
    const std::string section = clsidSection(clsid);
    for (const char* key : {"ProgID", "VersionIndependentProgID"})
        if (auto name = doc.get(section, key); name && !name->empty()) doc.removeSection(progIdSection(*name));
    doc.removeSection(section);
    return profile::saveDocument(file, doc) ? REGDB_E_WRITEREGDB : S_OK;
}

std::optional<CLSID> clsidFromProgId(std::string_view progId)
{
    return clsidFromProgIdIn(classRegistrySearchPath(), progId);
}

HRESULT createInstance(std::string_view name, REFIID riid, void** ppv)
{
    auto wide = utf8ToUtf16(name);
    CLSID clsid;
    HRESULT hr = CLSIDFromString(wide.c_str(), &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
}

HRESULT registerServerLibrary(const std::string& path, bool unregister, std::string* error)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) *error = ::dlerror();
        return CO_E_DLLNOTFOUND;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, entry));
    HRESULT hr = fn ? fn() : CO_E_ERRORINDLL;
    if (!fn && error) *error = std::string("no entry point ") + entry;
    ::dlclose(handle);
    return hr;
}

bool isLibraryLoaded(const std::string& path)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    ::dlclose(handle);
    return true;
}

} // namespace com

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void*, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (!com::Apartment::current()) return CO_E_NOTINITIALIZED;
    return com::getClassObjectFrom(com::classRegistrySearchPath(), rclsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    return hr;
}

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid)
{
    if (!lpszProgID || !lpclsid) return E_INVALIDARG;
    auto clsid = com::clsidFromProgId(com::utf16ToUtf8(lpszProgID));
    if (!clsid) return CO_E_CLASSSTRING;
    *lpclsid = *clsid;
    return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR lpsz, CLSID* pclsid)
{
    if (!lpsz || !pclsid) return E_INVALIDARG;
    const std::string text = com::utf16ToUtf8(lpsz);
    if (!text.empty() && text.front() == '{') {
        auto g = com::parseGuid(text);
        if (!g) return CO_E_CLASSSTRING;
        *pclsid = *g;
        return S_OK;
    }
    return CLSIDFromProgID(lpsz, pclsid);
}

void CoFreeUnusedLibraries() { com::freeUnusedServerLibraries(); }
