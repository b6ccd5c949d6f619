#include "recorder/recording/recording_file_watch.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace recorder {

namespace {

// The descriptor's path as the kernel knows it; empty when it cannot tell.
std::string descriptorPath(int fd)
{
    std::error_code ec;
    const auto target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
    return ec ? std::string() : target.string();
}

bool sameFile(const std::string& path, std::uint64_t device, std::uint64_t inode)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && std::uint64_t(st.st_dev) == device && std::uint64_t(st.st_ino) == inode;
}

// Copies everything from `from` into a new file at `to`; false with why.
bool copyAll(int from, const std::string& to, std::string& why)
{
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        why = std::strerror(errno);
        return false;
    }
    char buffer[1 << 16];
    off_t offset = 0;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = std::strerror(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                why = w < 0 ? std::strerror(errno) : "no space left";
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
        offset += n;
    }
    if (ok && ::fsync(out) != 0) {
        why = std::strerror(errno);
        ok = false;
    }
    if (::close(out) != 0 && ok) {
        why = std::strerror(errno);
        ok = false;
    }
    if (!ok) ::unlink(to.c_str());
    return ok;
}

} // namespace

bool folderIsReadOnly(const std::string& folder)
{
    struct statvfs vfs {};
    if (::statvfs(folder.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return true;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return (st.st_mode & 0222) == 0 || ::access(folder.c_str(), W_OK) != 0;
}

RecordingFileWatch::RecordingFileWatch(std::string path) : path_(std::move(path))
{
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0) {
        device_ = std::uint64_t(st.st_dev);
        inode_ = std::uint64_t(st.st_ino);
    }
}

RecordingFileWatch::~RecordingFileWatch()
{
    if (fd_ >= 0) ::close(fd_);
}

RecordingFileWatch::Seen RecordingFileWatch::check()
{
    if (fd_ < 0) return {};
    if (sameFile(path_, device_, inode_)) {
        const std::string folder = std::filesystem::path(path_).parent_path().string();
        if (folderIsReadOnly(folder.empty() ? "." : folder)) return {Change::ReadOnly, {}};
        return {};
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || st.st_nlink == 0) return {Change::Removed, {}};
    // Still linked somewhere: where the descriptor says, if that is really it
    // (an unmounted folder leaves a path that leads nowhere).
    const std::string now = descriptorPath(fd_);
    if (now.empty() || !sameFile(now, device_, inode_)) return {Change::Removed, {}};
    path_ = now;
    return {Change::Moved, now};
}

std::uint64_t RecordingFileWatch::size() const
{
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? std::uint64_t(st.st_size) : 0;
}

std::string RecordingFileWatch::rescue(const std::vector<std::string>& folders, std::string& why)
{
    if (fd_ < 0) {
        why = "the file was not held open";
        return {};
    }
    const std::filesystem::path name = std::filesystem::path(path_).filename();
    for (const auto& folder : folders) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            why = folder + ": " + ec.message();
            continue;
        }
        std::filesystem::path target = std::filesystem::path(folder) / name;
        for (int n = 2; std::filesystem::exists(target, ec) && n < 1000; ++n)
            target = std::filesystem::path(folder) /
                     (name.stem().string() + " (" + std::to_string(n) + ")" + name.extension().string());
        std::string failure;
        if (copyAll(fd_, target.string(), failure)) {
            path_ = target.string();
            return path_;
        }
        why = target.string() + ": " + failure;
    }
    return {};
}

} // namespace recorder
