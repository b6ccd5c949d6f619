#pragma once
// Finding a class in a list of registry files, first match that works wins.
//
// A registry is passed over when it cannot be read, is not a text file, holds
// a broken entry for the name looked up, or names a library that does not
// load (missing, another architecture, not a COM server). A library path that
// is not absolute is relative to the folder of the registry naming it.

#include "platform/com/class_registry.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace com {

// The class factory (riid) of clsid from the first registry whose entry
// loads. On failure *ppv is null and the thread's error information names
// the class, every registry that was wrong and why, or the registries looked
// in when none has the class. Returns REGDB_E_CLASSNOTREG when no registry
// names the class, else the failure of the first registry that did
// (REGDB_E_READREGDB, CO_E_DLLNOTFOUND, CO_E_ERRORINDLL, or the server's own).
HRESULT getClassObjectFrom(const std::vector<std::filesystem::path>& registries, REFCLSID clsid, REFIID riid,
                           void** ppv);

// The class id of a ProgID from the first registry that names it with a valid id.
std::optional<CLSID> clsidFromProgIdIn(const std::vector<std::filesystem::path>& registries, std::string_view progId);

} // namespace com
