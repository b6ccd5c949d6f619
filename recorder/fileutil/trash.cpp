#include "recorder/fileutil/trash.h"

#include "recorder/fileutil/file_descriptor.h"
#include "recorder/fileutil/rename_no_replace.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace recorder {

namespace {

namespace fs = std::filesystem;

struct TrashDir {
    std::string root;     // holds files/ and info/
    std::string basePath; // paths in info files are relative to this ("" = absolute)
};

bool makeDir(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

// A trash folder on the device `dev`, with files/ and info/ ready; false when not usable.
bool prepare(const std::string& root, dev_t dev)
{
    struct stat st {};
    if (!makeDir(root) || ::lstat(root.c_str(), &st) != 0 || st.st_dev != dev) return false;
    return makeDir(root + "/files") && makeDir(root + "/info");
}

bool makeDirs(const std::string& path)
{
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::optional<TrashDir> homeTrash(dev_t dev)
{
    std::string dataHome;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') {
        dataHome = x;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        dataHome = std::string(home) + "/.local/share";
    } else {
        return std::nullopt;
    }
    if (!makeDirs(dataHome)) return std::nullopt;
    TrashDir t{dataHome + "/Trash", ""};
    if (!prepare(t.root, dev)) return std::nullopt;
    return t;
}

// The top folder of the file system holding `folder`.
std::string topDirectory(const fs::path& folder, dev_t dev)
{
    fs::path top = folder;
    while (top.has_relative_path()) {
        struct stat st {};
        const fs::path parent = top.parent_path();
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
        top = parent;
    }
    return top.string();
}

std::optional<TrashDir> topDirTrash(const fs::path& folder, dev_t dev)
{
    const std::string top = topDirectory(folder, dev);
    const std::string uid = std::to_string(::getuid());
    const std::string base = top == "/" ? "/" : top + "/";
    struct stat st {};
    // An administrator's shared .Trash counts only when sticky and no link.
    const std::string shared = base + ".Trash";
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        TrashDir t{shared + "/" + uid, top};
        if (prepare(t.root, dev)) return t;
    }
    TrashDir own{base + ".Trash-" + uid, top};
    if (!makeDir(own.root) || ::lstat(own.root.c_str(), &st) != 0 || st.st_uid != ::getuid()) return std::nullopt;
    if (!prepare(own.root, dev)) return std::nullopt;
    return own;
}

std::string percentEncoded(const std::string& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-_.~/!$&'()*+,;=:@", c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string infoText(const std::string& storedPath)
{
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncoded(storedPath) + "\nDeletionDate=" + date + "\n";
}

// "take.WAV", "take.2.WAV", "take.3.WAV", ...
std::string candidateName(const fs::path& name, int n)
{
    if (n == 1) return name.string();
    const std::string stem = name.stem().string(), ext = name.extension().string();
    return (stem.empty() ? name.string() : stem) + "." + std::to_string(n) + (stem.empty() ? "" : ext);
}

} // namespace

TrashResult moveToTrash(const std::string& pathIn)
{
    TrashResult result;
    std::error_code ec;
    const fs::path path = fs::absolute(pathIn, ec).lexically_normal();
    struct stat st {};
    if (ec || ::lstat(path.c_str(), &st) != 0) {
        result.error = std::strerror(ec ? ec.value() : errno);
        return result;
    }
    auto trash = homeTrash(st.st_dev);
    if (!trash) trash = topDirTrash(path.parent_path(), st.st_dev);
    if (!trash) {
        result.error = "no trash folder can be used on this file's file system";
        return result;
    }
    std::string stored = path.string();
    if (!trash->basePath.empty()) stored = path.lexically_relative(trash->basePath).string();
    const std::string info = infoText(stored);

    for (int n = 1; n <= 10000; ++n) {
        const std::string name = candidateName(path.filename(), n);
        const std::string infoPath = trash->root + "/info/" + name + ".trashinfo";
        bool written = false;
        int writeError = 0;
        {
            FileDescriptor file(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (!file.valid() && errno == EEXIST) continue;
            if (!file.valid()) {
                result.error = std::strerror(errno);
                return result;
            }
            written = writeAll(file.get(), info.data(), info.size());
            writeError = errno;
        }
        if (!written) {
            ::unlink(infoPath.c_str());
            result.error = std::strerror(writeError);
            return result;
        }
        const std::string target = trash->root + "/files/" + name;
        const int error = renameNoReplace(path.string(), target);
        if (error == 0) {
            result.trashed = true;
            result.trashedAs = target;
            return result;
        }
        ::unlink(infoPath.c_str());
        if (error != EEXIST) {
            result.error = std::strerror(error);
            return result;
        }
    }
    result.error = "the trash holds too many files of this name";
    return result;
}

} // namespace recorder
