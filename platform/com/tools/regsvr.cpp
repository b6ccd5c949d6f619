// velmor-regsvr: registers (or with -u unregisters) in-process COM servers in
// the per-user class registry, as regsvr32 does; with --registry in a given
// registry file instead (the build writes the program's own registry so).

#include "platform/com/apartment.h"
#include "platform/com/class_registry.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: velmor-regsvr [-u] [--warn-only] [--registry FILE [--relative-to DIR]] library.so...\n"
    "  --registry FILE     write FILE instead of the per-user class registry\n"
    "  --relative-to DIR   store library paths relative to DIR (the folder FILE will be read from)\n";

} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    bool warnOnly = false;
    com::RegistrationTarget target;
    int files = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const bool takesValue = !std::strcmp(argv[i], "--registry") || !std::strcmp(argv[i], "--relative-to");
        if (takesValue && i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value\n%s", argv[i], kUsage);
            return 2;
        }
        if (!std::strcmp(argv[i], "--registry")) target.file = argv[++i];
        else if (!std::strcmp(argv[i], "--relative-to")) target.relativeTo = argv[++i];
    }
    if (!target.relativeTo.empty() && target.file.empty()) {
        std::fprintf(stderr, "--relative-to needs --registry\n%s", kUsage);
        return 2;
    }
    const std::string registry = target.file.empty() ? com::classRegistryPath() : target.file.string();
    com::setRegistrationTarget(target);
    CoInitialize(nullptr);
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-u")) {
            unregister = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--warn-only")) {
            warnOnly = true;
            continue;
        }
        if (!std::strcmp(argv[i], "--registry") || !std::strcmp(argv[i], "--relative-to")) {
            ++i;
            continue;
        }
        ++files;
        std::string error;
        HRESULT hr = com::registerServerLibrary(argv[i], unregister, &error);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%s: %s %s failed (0x%08X)%s%s\n", warnOnly ? "warning" : "error",
                         unregister ? "unregistering" : "registering", argv[i], static_cast<unsigned>(hr),
                         error.empty() ? "" : ": ", error.c_str());
            ++failures;
        } else {
            std::printf("%s %s in %s\n", unregister ? "unregistered" : "registered", argv[i], registry.c_str());
        }
    }
    CoUninitialize();
    if (files == 0) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    return failures && !warnOnly ? 1 : 0;
}
