#pragma once
// Class registration and creation by class id or ProgID.
//
// Registrations go to a per-user INI file: $VELMOR_HOME/classes.reg when
// VELMOR_HOME is set (tests, a portable application folder), else
// $XDG_CONFIG_HOME/velmor-sound-recorder/classes.reg (~/.config by default).
// Lookups read it first and then the program's own registries
// (registry_search_path.h). Sections of a registry:
//   [CLSID\{...}]      InprocServer32=<library path>, ThreadingModel, ProgID,
//                      VersionIndependentProgID, Description
//   [ProgID\<name>]    CLSID={...} (and CurVer= for a version-independent name)
// A library path that is not absolute is relative to the registry's folder.
// Creating an instance dlopens the registered library once, asks its
// DllGetClassObject for the class factory and lets the factory create the
// object; CoFreeUnusedLibraries closes libraries whose DllCanUnloadNow says so.

#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

#include <filesystem>
#include <optional>
#include <string>

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv);
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid, void** ppv);
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, CLSID* lpclsid);
// Accepts a {GUID} text or a ProgID.
HRESULT CLSIDFromString(LPCOLESTR lpsz, CLSID* pclsid);
void CoFreeUnusedLibraries();

// The four entry points every in-process server library exports.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

namespace com {

// The per-user registry.
std::string classRegistryPath();

// Where registerClass and unregisterClass write: the per-user registry while
// file is empty. With relativeTo set, library paths are stored relative to
// that folder (the folder the registry will be read from). Set it before
// registering, on one thread (velmor-regsvr's options).
struct RegistrationTarget {
    std::filesystem::path file;
    std::filesystem::path relativeTo;
};
void setRegistrationTarget(RegistrationTarget target);

struct ClassRegistration {
    CLSID clsid;
    std::string progId;                   // "Library.Class.1"
    std::string versionIndependentProgId; // "Library.Class"
    std::string description;
    std::string libraryPath;
    std::string threadingModel = "Apartment";
};

// What DllRegisterServer / DllUnregisterServer of a library call.
HRESULT registerClass(const ClassRegistration& reg);
HRESULT unregisterClass(REFCLSID clsid);

// The class id of a ProgID, looked up in every registry in order.
std::optional<CLSID> clsidFromProgId(std::string_view progId);

HRESULT createInstance(std::string_view progIdOrClsid, REFIID riid, void** ppv);

// regsvr: loads a library and calls its DllRegisterServer (or Unregister).
HRESULT registerServerLibrary(const std::string& path, bool unregister, std::string* error = nullptr);

// Whether the library at path is currently loaded by the class registry.
bool isLibraryLoaded(const std::string& path);

} // namespace com
