#include "recorder/settings/application_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#ifndef VELMOR_INSTALL_LIBDIR
#error "VELMOR_INSTALL_LIBDIR must name the library folder relative to the install prefix"
#endif

namespace recorder {

namespace fs = std::filesystem;

namespace {

std::string withoutTrailingSlash(std::string s)
{
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

} // namespace

bool isInstalledExecutableFolder(const std::string& executableFolder)
{
    std::error_code ec;
    return fs::is_regular_file(
        fs::path(executableFolder) / ".." / VELMOR_INSTALL_LIBDIR / "velmor-sound-recorder" / "classes.reg", ec);
}

std::string applicationFolder()
{
    std::error_code ec;
    if (const char* home = std::getenv("VELMOR_HOME"); home && *home) {
        fs::create_directories(home, ec);
        return withoutTrailingSlash(home);
    }
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path dir = exe.parent_path();
        if (::access(dir.c_str(), W_OK) == 0 && !isInstalledExecutableFolder(dir.string())) return dir.string();
    }
    fs::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        data = fs::path(home) / ".local/share";
    else
        data = fs::temp_directory_path(ec);
    data /= "velmor-sound-recorder";
    fs::create_directories(data, ec);
    return data.string();
}

} // namespace recorder
