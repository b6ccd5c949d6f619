#include "recorder/recordings/recording_files.h"

#include "recorder/fileutil/file_descriptor.h"
#include "recorder/fileutil/rename_no_replace.h"

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

// Copies into a target that must not exist yet; removes a partial copy. 0 or an errno.
int copyExclusively(const std::string& from, const std::string& to)
{
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) return errno;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return errno;
    FileDescriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (!out.valid()) return errno;
    int error = 0;
    std::array<char, 256 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) break;
        if (!writeAll(out.get(), buffer.data(), static_cast<std::size_t>(n))) {
            error = errno;
            break;
        }
    }
    if (!error && ::fsync(out.get()) != 0) error = errno;
    if (error) ::unlink(to.c_str());
    return error;
}

// Moves without replacing: a rename, or across file systems a copy and a removal.
int moveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (const int error = renameNoReplace(from, to); error != EXDEV) return error;
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
