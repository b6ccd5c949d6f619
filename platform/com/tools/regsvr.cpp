// velmor-regsvr: registers (or with -u unregisters) in-process COM servers in
// the per-user class registry, as regsvr32 does.

#include "platform/com/apartment.h"
#include "platform/com/class_registry.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    bool unregister = false;
    bool warnOnly = false;
    int files = 0;
    int failures = 0;
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
        ++files;
        std::string error;
        HRESULT hr = com::registerServerLibrary(argv[i], unregister, &error);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%s: %s %s failed (0x%08X)%s%s\n", warnOnly ? "warning" : "error",
                         unregister ? "unregistering" : "registering", argv[i], static_cast<unsigned>(hr),
                         error.empty() ? "" : ": ", error.c_str());
            ++failures;
        } else {
            std::printf("%s %s in %s\n", unregister ? "unregistered" : "registered", argv[i], com::classRegistryPath().c_str());
        }
    }
    CoUninitialize();
    if (files == 0) {
        std::fprintf(stderr, "usage: velmor-regsvr [-u] [--warn-only] library.so...\n");
        return 2;
    }
    return failures && !warnOnly ? 1 : 0;
}
