#include "tags/file_functions.h"

#include "tags/errors.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace tagmora {

namespace {

bool entryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string timePrefix()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H%M%S-", &local);
    return text;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies from offset to the end of in; the kernel copies when it can.
bool copyRest(int in, std::uint64_t offset, std::uint64_t end, int out)
{
    loff_t from = static_cast<loff_t>(offset);
    bool kernelCopy = true;
    while (static_cast<std::uint64_t>(from) < end) {
        std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(end - from, 1u << 30));
        if (kernelCopy) {
            ssize_t n = ::copy_file_range(in, &from, out, nullptr, chunk, 0);
            if (n > 0) continue;
            if (n == 0) return errno = EIO, false; // the file shrank under us
            if (errno == EINTR) continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
            kernelCopy = false;
        }
        static thread_local ByteVector buffer(1 << 20);
        ssize_t n = ::pread(in, buffer.data(), std::min(chunk, buffer.size()), from);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0 ? (errno = EIO, false) : false;
        if (!writeAll(out, buffer.data(), static_cast<std::size_t>(n))) return false;
        from += n;
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

FileHandle::~FileHandle() { close(); }

int FileHandle::close()
{
    if (fd_ < 0) return 0;
    int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFileReadOnly(const std::string& path)
{
    struct stat st {};
    if (!FileExists(path) || ::stat(path.c_str(), &st) != 0) RaiseError(109, "IsFileReadOnly", {"%FILE%"}, {path});
    return (st.st_mode & S_IWUSR) == 0;
}

std::string MakeTempFileName(const std::string& path)
{
    const std::string folder = folderOf(path);
    const std::string name = path.substr(folder.size());
    std::string candidate = folder + name + ".new";
    // The time-stamped name changes once a second; give up after a few.
    for (int tries = 0; entryExists(candidate) && tries < 40; ++tries) {
        candidate = folder + timePrefix() + name;
        if (entryExists(candidate)) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return candidate;
}

std::string resolvePath(const std::string& path)
{
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) ? std::string(real) : path;
}

FileHandle openForReading(const std::string& path, std::string_view source)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) raiseFileSystemError(errno, source, path);
    return FileHandle(fd);
}

struct stat statOf(const FileHandle& file, const std::string& path, std::string_view source)
{
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) raiseFileSystemError(errno, source, path);
    return st;
}

ByteVector readAt(const FileHandle& file, std::uint64_t offset, std::uint64_t length, const std::string& path,
                  std::string_view source)
{
    struct stat st = statOf(file, path, source);
    std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    std::uint64_t available = offset < size ? size - offset : 0;
    ByteVector out(static_cast<std::size_t>(std::min(length, available)));
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::pread(file.get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) raiseFileSystemError(errno, source, path);
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return out;
}

void checkReplaceable(const std::string& path, const struct stat& st, bool makeWritable, std::string_view source)
{
    const bool root = ::geteuid() == 0;
    bool allowed;
    if ((st.st_mode & S_IWUSR) == 0)
        allowed = makeWritable && (root || ::geteuid() == st.st_uid);
    else
        allowed = ::access(path.c_str(), W_OK) == 0;
    if (!allowed) raiseFileSystemError(EACCES, source, path);
}

void replaceFile(const std::string& path, const FileHandle& source, const struct stat& original, ByteView head,
                 std::uint64_t payloadOffset, bool makeWritable, std::string_view errorSource)
{
    std::string temp;
    FileHandle out;
    for (int tries = 0; tries < 5 && out.get() < 0; ++tries) {
        temp = MakeTempFileName(path);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            out = FileHandle(fd);
        } else if (errno != EEXIST) {
            raiseFileSystemError(errno, errorSource, temp);
        }
    }
    if (out.get() < 0) raiseFileSystemError(EEXIST, errorSource, temp);

    mode_t mode = original.st_mode & 07777;
    if (makeWritable) mode |= S_IWUSR;
    bool ok = writeAll(out.get(), head.data(), head.size()) &&
              copyRest(source.get(), payloadOffset, static_cast<std::uint64_t>(original.st_size), out.get());
    if (ok) {
        // Ownership is kept where the process may keep it (not fatal otherwise); the mode always.
        uid_t owner = ::geteuid() == 0 ? original.st_uid : static_cast<uid_t>(-1);
        int kept = ::fchown(out.get(), owner, original.st_gid);
        (void)kept;
        ok = ::fchmod(out.get(), mode) == 0 && ::fsync(out.get()) == 0;
    }
    int err = ok ? 0 : errno;
    if (int closeErr = out.close(); ok && closeErr != 0) ok = false, err = closeErr;
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false, err = errno;
    if (!ok) {
        ::unlink(temp.c_str());
        raiseFileSystemError(err, errorSource, path);
    }
    // Make the rename itself durable.
    std::string folder = folderOf(path);
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void overwriteStart(const std::string& path, ByteView bytes, std::string_view errorSource)
{
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.get() < 0) raiseFileSystemError(errno, errorSource, path);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(file.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) raiseFileSystemError(n < 0 ? errno : EIO, errorSource, path);
        done += static_cast<std::size_t>(n);
    }
    if (::fdatasync(file.get()) != 0) raiseFileSystemError(errno, errorSource, path);
    if (file.close() != 0) raiseFileSystemError(errno, errorSource, path);
}

} // namespace tagmora
