#include "recorder/components/io/output_file.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace recorder {

namespace {

// Past RLIMIT_FSIZE the kernel sends SIGXFSZ, which would end the program
// with the recording unfinished; ignored, the write fails with EFBIG instead.
void ignoreFileSizeSignal()
{
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
        !(current.sa_flags & SA_SIGINFO))
        ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

std::string writeErrorText(const std::string& path, int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return "Disk full while writing " + path;
    case EFBIG:
        return "The file " + path + " has reached the largest size allowed";
    default:
        return "Cannot write " + path + ": " + std::strerror(err);
    }
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::create(const std::string& path)
{
    close();
    error_.clear();
    size_ = 0;
    path_ = path;
    ignoreFileSizeSignal();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = "Cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool OutputFile::fail(int err, const char*)
{
    if (error_.empty()) error_ = writeErrorText(path_, err);
    return false;
}

bool OutputFile::write(std::span<const std::uint8_t> bytes, std::size_t unit)
{
    if (fd_ < 0 || failed()) return false;
    if (unit == 0) unit = 1;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(size_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            // Whatever fitted stays, in whole units, so the file ends where its data does.
            const std::size_t kept = done / unit * unit;
            if (kept != done && ::ftruncate(fd_, static_cast<off_t>(size_ + kept)) != 0) {
                // Nothing more can be done; the error below is what the user needs.
            }
            size_ += kept;
            lastKept_ = kept;
            return fail(err, "write");
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += done;
    lastKept_ = done;
    return true;
}

bool OutputFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes)
{
    // After a failed append a header may still be rewritten in place: that needs no new room.
    if (fd_ < 0 || (failed() && offset + bytes.size() > size_)) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno, "write");
        }
        if (n == 0) return fail(ENOSPC, "write");
        done += static_cast<std::size_t>(n);
    }
    if (offset + done > size_) size_ = offset + done;
    return true;
}

std::int64_t OutputFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (fd_ < 0) return -1;
    for (;;) {
        ssize_t n = ::pread(fd_, out.data(), out.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool OutputFile::sync()
{
    if (fd_ < 0) return false;
    if (::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS) return fail(errno, "sync");
    return !failed();
}

bool OutputFile::close()
{
    if (fd_ < 0) return !failed();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) return fail(errno, "close");
    return !failed();
}

} // namespace recorder
