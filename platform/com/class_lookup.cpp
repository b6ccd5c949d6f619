#include "platform/com/class_lookup.h"

#include "platform/com/errorinfo.h"
#include "platform/com/loaded_libraries.h"
#include "platform/profile/ini_document.h"

#include <fstream>
#include <sstream>

namespace com {

namespace fs = std::filesystem;

namespace {

// Reads a registry; a missing file is an empty registry. On failure says why.
bool readRegistry(const fs::path& file, profile::IniDocument& doc, bool& exists, std::string& why)
{
    std::error_code ec;
    exists = fs::exists(file, ec);
    if (!exists) return true;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        why = "cannot be read";
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad() || !fs::is_regular_file(file, ec)) {
        why = "cannot be read";
        return false;
    }
    const std::string text = bytes.str();
    if (text.find('\0') != std::string::npos) {
        why = "is damaged (not a text file)";
        return false;
    }
    doc = profile::IniDocument::parse(text);
    return true;
}

std::string resolveLibraryPath(const fs::path& registry, const std::string& library)
{
    const fs::path path(library);
    if (path.is_absolute()) return path.string();
    std::error_code ec;
    const fs::path folder = fs::absolute(registry, ec).parent_path();
    return (folder / path).lexically_normal().string();
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) text += separator;
        text += part;
    }
    return text;
}

} // namespace

HRESULT getClassObjectFrom(const std::vector<fs::path>& registries, REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const std::string section = "CLSID\\" + toString(clsid);
    HRESULT firstFailure = S_OK;
    std::vector<std::string> problems;
    std::vector<std::string> looked;
    for (const auto& registry : registries) {
        looked.push_back(registry.string());
        profile::IniDocument doc;
        bool exists = false;
        std::string why;
        HRESULT hr = S_OK;
        std::string problem;
        if (!readRegistry(registry, doc, exists, why)) {
            hr = REGDB_E_READREGDB;
            problem = registry.string() + " " + why;
        } else {
            if (!exists) continue;
            auto library = doc.get(section, "InprocServer32");
            if (!library) continue;
            if (library->empty()) {
                hr = REGDB_E_READREGDB;
                problem = "in " + registry.string() + ": the class has no library (InprocServer32 is empty)";
            } else {
                const std::string path = resolveLibraryPath(registry, *library);
                LoadedLibrary lib;
                hr = loadServerLibrary(path, lib, why);
                if (SUCCEEDED(hr)) {
                    hr = lib.getClassObject(clsid, riid, ppv);
                    if (SUCCEEDED(hr)) return hr;
                    why = "the library " + path + " does not serve the class";
                }
                problem = "in " + registry.string() + ": " + why;
            }
        }
        if (SUCCEEDED(firstFailure)) firstFailure = hr;
        problems.push_back(std::move(problem));
    }
    const std::string name = "class " + toString(clsid);
    if (problems.empty()) {
        setError(REGDB_E_CLASSNOTREG, "The " + name + " is not registered (looked in " + joined(looked, ", ") + ").",
                 "Class registry");
        return REGDB_E_CLASSNOTREG;
    }
    setError(firstFailure, "The " + name + " could not be loaded: " + joined(problems, "; ") + ".", "Class registry");
    return firstFailure;
}

std::optional<CLSID> clsidFromProgIdIn(const std::vector<fs::path>& registries, std::string_view progId)
{
    const std::string section = "ProgID\\" + std::string(progId);
    for (const auto& registry : registries) {
        profile::IniDocument doc;
        bool exists = false;
        std::string why;
        if (!readRegistry(registry, doc, exists, why) || !exists) continue;
        auto text = doc.get(section, "CLSID");
        if (!text) continue;
        if (auto clsid = parseGuid(*text)) return clsid;
    }
    return std::nullopt;
}

} // namespace com
