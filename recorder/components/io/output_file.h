#pragma once
// A file being written, with errors in words for the user. Every write is
// checked; the first failure is kept and later writes fail at once, so a
// recording stops at a clean boundary instead of leaving holes.

#include <cstdint>
#include <span>
#include <string>

namespace recorder {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates path. "Cannot create <path>: <reason>" on failure.
    bool create(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Appends at the end of what was written so far. When the disk takes only
    // part of it, the whole units (frames) that fitted stay: lastKept() says how
    // many bytes of the last write are in the file.
    bool write(std::span<const std::uint8_t> bytes, std::size_t unit = 1);
    bool write(const void* data, std::size_t size)
    {
        return write(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
    }
    std::size_t lastKept() const { return lastKept_; }
    // Overwrites bytes already written (headers), leaving the append point;
    // also after a failed append, so that a header can still count what is there.
    bool writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Reads back bytes already written (libsndfile's virtual I/O needs it).
    std::int64_t readAt(std::uint64_t offset, std::span<std::uint8_t> out);
    // Makes what was written survive a crash of the system (fdatasync); false
    // after a failure, although what is there is still synced.
    bool sync();
    // Closes; false when the close itself reports a lost write.
    bool close();

    std::uint64_t size() const { return size_; }
    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }

private:
    bool fail(int err, const char* doing);

    int fd_ = -1;
    std::string path_;
    std::uint64_t size_ = 0;
    std::size_t lastKept_ = 0;
    std::string error_;
};

// The words for a failed write of path with errno err.
std::string writeErrorText(const std::string& path, int err);

} // namespace recorder
