#include "recorder/recordings/recording_files.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace recorder {

namespace {

namespace fs = std::filesystem;

struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// Copies into a target that must not exist yet; removes a partial copy. 0 or an errno.
int copyExclusively(const std::string& from, const std::string& to)
{
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) return errno;
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) return errno;
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (out.fd < 0) return errno;
    int error = 0;
    std::array<char, 256 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.fd, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                error = errno;
                break;
            }
            done += w;
        }
        if (error) break;
    }
    if (!error && ::fsync(out.fd) != 0) error = errno;
    if (error) ::unlink(to.c_str());
    return error;
}

// Renames without replacing: renameat2 where the file system has it, else a
// hard link and an unlink, else (another file system) a copy and a removal.
int moveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    int error = errno;
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
        if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0 ? 0 : errno;
        error = errno;
        if (error == EPERM || error == ENOTSUP) error = EXDEV; // no hard links here: copy
    }
    if (error != EXDEV) return error;
    if (int copyError = copyExclusively(from, to)) return copyError;
    if (::unlink(from.c_str()) != 0) {
        const int unlinkError = errno;
        ::unlink(to.c_str()); // the recording stays where it was, once
        return unlinkError;
    }
    return 0;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

std::string renameTarget(const std::string& path, const std::string& answer)
{
    const fs::path target(answer);
    if (target.is_absolute()) return answer;
    return (fs::path(path).parent_path() / target).lexically_normal().string();
}

RenameResult renameRecording(const std::string& path, const std::string& answer)
{
    using Outcome = RenameResult::Outcome;
    RenameResult result;
    result.newPath = renameTarget(path, answer);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        result.outcome = Outcome::Missing;
        return result;
    }
    if (fs::weakly_canonical(result.newPath, ec) == fs::weakly_canonical(path, ec)) {
        result.outcome = Outcome::Unchanged;
        return result;
    }
    if (exists(result.newPath)) {
        result.outcome = Outcome::TargetExists;
        return result;
    }
    if (const int error = moveWithoutReplacing(path, result.newPath)) {
        result.outcome = error == EEXIST ? Outcome::TargetExists : Outcome::Failed;
        result.error = std::strerror(error);
        return result;
    }
    result.outcome = Outcome::Renamed;
    return result;
}

DeleteResult deleteRecording(const std::string& path, const TrashFunction& trash)
{
    using Outcome = DeleteResult::Outcome;
    DeleteResult result;
    if (!exists(path)) {
        result.outcome = Outcome::Deleted;
        return result;
    }
    if (trash(path).trashed) {
        result.outcome = Outcome::Trashed;
        return result;
    }
    if (::unlink(path.c_str()) == 0) {
        result.outcome = Outcome::Deleted;
        return result;
    }
    result.error = std::strerror(errno);
    return result;
}

} // namespace recorder
