#include "platform/profile/profile_file.h"

#include <cerrno>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace profile {

namespace fs = std::filesystem;

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes follow a symbolic link to the file it names, as an in-place write would.
fs::path resolved(const fs::path& file)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        auto target = fs::canonical(file, ec);
        if (!ec) return target;
    }
    return file;
}

template <class Change>
std::error_code change(const fs::path& file, Change&& edit)
{
    IniDocument doc;
    if (auto ec = loadDocument(file, doc)) return ec;
    const std::string before = doc.text();
    if (!edit(doc)) return {};
    const std::string after = doc.text();
    if (after == before && fs::exists(file)) return {};
    return replaceFileAtomically(file, after);
}

} // namespace

std::error_code loadDocument(const fs::path& file, IniDocument& doc)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!fs::exists(file, ec)) {
            doc = IniDocument();
            return {};
        }
        return std::make_error_code(std::errc::permission_denied);
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::make_error_code(std::errc::io_error);
    doc = IniDocument::parse(text.str());
    return {};
}

std::error_code saveDocument(const fs::path& file, const IniDocument& doc) { return replaceFileAtomically(file, doc.text()); }

namespace {

// Reads are many (a recording's start reads dozens of keys) and files are
// rewritten by rename: a parsed document stays valid while the file's
// identity, size and modification time stay the same.
struct CachedDocument {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    std::shared_ptr<const IniDocument> doc;
};
constexpr std::size_t kCachedFiles = 8;
std::mutex g_cacheMutex;
std::map<std::string, CachedDocument> g_cache;

bool sameFile(const CachedDocument& c, const struct stat& st)
{
    return c.device == st.st_dev && c.inode == st.st_ino && c.size == st.st_size &&
           c.modified.tv_sec == st.st_mtim.tv_sec && c.modified.tv_nsec == st.st_mtim.tv_nsec;
}

std::shared_ptr<const IniDocument> readDocument(const fs::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        auto doc = std::make_shared<IniDocument>();
        return loadDocument(file, *doc) ? nullptr : doc;
    }
    const std::string key = file.string();
    {
        std::lock_guard lock(g_cacheMutex);
        if (auto it = g_cache.find(key); it != g_cache.end() && sameFile(it->second, st)) return it->second.doc;
    }
    auto doc = std::make_shared<IniDocument>();
    if (loadDocument(file, *doc)) return nullptr;
    std::lock_guard lock(g_cacheMutex);
    if (g_cache.size() >= kCachedFiles) g_cache.clear();
    g_cache[key] = CachedDocument{st.st_dev, st.st_ino, st.st_size, st.st_mtim, doc};
    return doc;
}

} // namespace

std::optional<std::string> readProfileString(const fs::path& file, std::string_view section, std::string_view key)
{
    const auto doc = readDocument(file);
    if (!doc) return std::nullopt;
    return doc->get(section, key);
}

std::error_code writeProfileString(const fs::path& file, std::string_view section, std::string_view key,
                                   std::string_view value)
{
    return change(file, [&](IniDocument& doc) {
        doc.set(section, key, value);
        return true;
    });
}

std::error_code deleteProfileKey(const fs::path& file, std::string_view section, std::string_view key)
{
    return change(file, [&](IniDocument& doc) { return doc.remove(section, key); });
}

std::error_code deleteProfileSection(const fs::path& file, std::string_view section)
{
    return change(file, [&](IniDocument& doc) { return doc.removeSection(section); });
}

std::error_code replaceFileAtomically(const fs::path& fileIn, std::string_view bytes)
{
    const fs::path file = resolved(fileIn);
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";

    // New files get the usual permissions; existing ones keep theirs.
    struct stat st {};
    mode_t mode;
    if (::stat(file.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    std::string tmpl = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return lastError();
    std::error_code result;
    if (!writeAll(fd, bytes) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) result = lastError();
    if (::close(fd) != 0 && !result) result = lastError();
    if (!result && ::rename(tmpl.c_str(), file.c_str()) != 0) result = lastError();
    if (result) {
        ::unlink(tmpl.c_str());
        return result;
    }
    // Make the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

} // namespace profile
