#pragma once
// Which class registries are consulted, in order: the per-user registry
// (classRegistryPath), then the program's own registries found from the
// running executable, so that an installed, portable or freshly built program
// creates its classes with no registration step:
//   <executable folder>/classes.reg                  (the build tree, a portable copy)
//   <executable folder>/../<libdir>/velmor-sound-recorder/classes.reg   (an installation)
// <libdir> is the install layout's library folder relative to the prefix.

#include <filesystem>
#include <vector>

namespace com {

std::vector<std::filesystem::path> programRegistriesBeside(const std::filesystem::path& executableFolder);

// The per-user registry followed by the running program's registries (only
// the per-user one when /proc/self/exe cannot be read).
std::vector<std::filesystem::path> classRegistrySearchPath();

} // namespace com
