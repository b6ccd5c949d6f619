#pragma once
// clsFile: the information about one file - attributes, times, size and the
// parts of its name - read when its name is set.

#include <chrono>
#include <cstdint>
#include <string>

namespace recorder {

// An instant; shown in local time by whoever displays it.
using FileTime = std::chrono::system_clock::time_point;

// The attribute bits of the program's original platform, mapped onto POSIX.
namespace fileattributes {
inline constexpr std::uint32_t kReadOnly = 1;   // the owner may not write
inline constexpr std::uint32_t kHidden = 2;     // the name starts with "."
inline constexpr std::uint32_t kSystem = 4;     // never set here
inline constexpr std::uint32_t kDirectory = 16;
inline constexpr std::uint32_t kArchive = 32;   // no such state here: never read, kept when set
inline constexpr std::uint32_t kNormal = 128;   // read when no other bit is set
} // namespace fileattributes

class clsFile {
public:
    clsFile() = default;
    explicit clsFile(std::string path) { sFilename(std::move(path)); }

    const std::string& sFilename() const { return sFilename_; }
    // Takes the path and refreshes the information; a file that cannot be
    // read leaves it at its previous values (zero for a new object).
    void sFilename(std::string path);

    std::uint32_t eFileAttributes() const { return eFileAttributes_; }
    // Writes what maps onto the file system (kReadOnly: clearing the write
    // permissions, or giving the owner write permission back) and keeps the
    // value. On failure nothing changes and the answer is false.
    bool eFileAttributes(std::uint32_t attributes);

    // The birth time where the file system records one, else the time of
    // the last change of the file's information.
    FileTime dCreationTime() const { return dCreationTime_; }
    FileTime dLastAccessTime() const { return dLastAccessTime_; }
    FileTime dLastWriteTime() const { return dLastWriteTime_; }
    // Bytes; 0 for a folder.
    std::int64_t lSize() const { return lSize_; }

    std::string sName() const;
    std::string sExtension() const;
    std::string sNameAndExtension() const;

    // Reads the information again; false, with nothing changed, when the
    // file cannot be reached. Symbolic links are followed.
    bool RefreshInfo();

private:
    std::string sFilename_;
    std::uint32_t eFileAttributes_ = 0;
    FileTime dCreationTime_{};
    FileTime dLastAccessTime_{};
    FileTime dLastWriteTime_{};
    std::int64_t lSize_ = 0;
};

} // namespace recorder
