#include "platform/com/registry_search_path.h"

#include "platform/com/class_registry.h"

#ifndef VELMOR_INSTALL_LIBDIR
#error "VELMOR_INSTALL_LIBDIR must name the library folder relative to the install prefix"
#endif

namespace com {

namespace fs = std::filesystem;

std::vector<fs::path> programRegistriesBeside(const fs::path& executableFolder)
{
    return {(executableFolder / "classes.reg").lexically_normal(),
            (executableFolder / ".." / VELMOR_INSTALL_LIBDIR / "velmor-sound-recorder" / "classes.reg").lexically_normal()};
}

std::vector<fs::path> classRegistrySearchPath()
{
    std::vector<fs::path> paths{classRegistryPath()};
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return paths;
    for (auto& path : programRegistriesBeside(exe.parent_path()))
        if (path != paths.front()) paths.push_back(std::move(path));
    return paths;
}

} // namespace com
