#pragma once
// Files of the tag library: existence and read-only tests, the temporary
// sibling's name, reading, and replacing a file in one step.
//
// Replacing never touches the original until the new content is complete:
// it goes to a fresh sibling named by MakeTempFileName, is flushed to disk
// and renamed over the original (symbolic links are followed, so the link
// stays a link). The new file keeps the original's permission bits and, as
// far as the process may, its owner and group.

#include "tags/byte_vector.h"

#include <cstdint>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace tagmora {

// Whether path names an existing regular file (after symbolic links).
bool FileExists(const std::string& path);
// Whether the file has lost its owner's write permission, the stand-in for
// the read-only attribute. Raises 109 from "IsFileReadOnly" for a missing file.
bool IsFileReadOnly(const std::string& path);
// path & ".new", or when that exists the same folder & "HhMmSs-" & name,
// re-tried until free.
std::string MakeTempFileName(const std::string& path);

// An open file descriptor, closed on destruction.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    FileHandle& operator=(FileHandle&& o) noexcept
    {
        if (this != &o) {
            close();
            fd_ = o.fd_;
            o.fd_ = -1;
        }
        return *this;
    }
    ~FileHandle();
    int get() const { return fd_; }
    // Closes and reports the error of close (0 when fine).
    int close();

private:
    int fd_ = -1;
};

// The real file behind path (symbolic links resolved), or path itself.
std::string resolvePath(const std::string& path);
// Opens for reading; raises the file-system error with source on failure.
FileHandle openForReading(const std::string& path, std::string_view source);
struct stat statOf(const FileHandle& file, const std::string& path, std::string_view source);
// Up to length bytes at offset (fewer at the end of the file).
ByteVector readAt(const FileHandle& file, std::uint64_t offset, std::uint64_t length, const std::string& path,
                  std::string_view source);

// Raises "Permission denied" unless this process may replace the file
// described by st; a read-only file counts as writable when makeWritable.
void checkReplaceable(const std::string& path, const struct stat& st, bool makeWritable, std::string_view source);

// Writes bytes over the start of the file at path (already resolved) in one
// write, then flushes them to disk; the rest of the file is not touched.
void overwriteStart(const std::string& path, ByteView bytes, std::string_view errorSource);

// Replaces the file at path (already resolved) by head followed by the bytes
// of source from payloadOffset to the end. With makeWritable the new file
// gets its owner's write permission.
void replaceFile(const std::string& path, const FileHandle& source, const struct stat& original, ByteView head,
                 std::uint64_t payloadOffset, bool makeWritable, std::string_view errorSource);

} // namespace tagmora
