#include "recorder/fileutil/cls_file.h"

#include "recorder/fileutil/path_part.h"

#include <cerrno>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>

namespace recorder {

namespace {

FileTime toFileTime(std::int64_t seconds, std::uint32_t nanoseconds)
{
    // Clamped to what the clock's nanosecond count can hold (about 292 years
    // either side of 1970), so a corrupt time stamp cannot overflow it.
    using namespace std::chrono;
    constexpr std::int64_t limit = std::numeric_limits<FileTime::rep>::max() / 1'000'000'000 - 1;
    if (seconds > limit) seconds = limit;
    if (seconds < -limit) seconds = -limit;
    return FileTime(duration_cast<FileTime::duration>(std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds)));
}

FileTime toFileTime(const struct statx_timestamp& t) { return toFileTime(t.tv_sec, t.tv_nsec); }

bool isHiddenName(const std::string& name) { return name.size() > 1 && name[0] == '.' && name != ".."; }

struct Info {
    std::uint32_t mode = 0;
    std::int64_t size = 0;
    FileTime created, accessed, written;
};

bool readInfo(const std::string& path, Info& info)
{
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
        info.mode = sx.stx_mode;
        info.size = static_cast<std::int64_t>(sx.stx_size);
        info.accessed = toFileTime(sx.stx_atime);
        info.written = toFileTime(sx.stx_mtime);
        info.created = toFileTime((sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_ctime);
        return true;
    }
    if (errno != ENOSYS) return false;
    // Kernels and sandboxes without statx.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    info.mode = st.st_mode;
    info.size = st.st_size;
    info.accessed = toFileTime(st.st_atim.tv_sec, static_cast<std::uint32_t>(st.st_atim.tv_nsec));
    info.written = toFileTime(st.st_mtim.tv_sec, static_cast<std::uint32_t>(st.st_mtim.tv_nsec));
    info.created = toFileTime(st.st_ctim.tv_sec, static_cast<std::uint32_t>(st.st_ctim.tv_nsec));
    return true;
}

} // namespace

void clsFile::sFilename(std::string path)
{
    sFilename_ = std::move(path);
    RefreshInfo();
}

bool clsFile::RefreshInfo()
{
    Info info;
    if (!readInfo(sFilename_, info)) return false;
    using namespace fileattributes;
    const bool folder = S_ISDIR(info.mode);
    std::uint32_t attributes = 0;
    if (!(info.mode & S_IWUSR)) attributes |= kReadOnly;
    if (isHiddenName(sNameAndExtension())) attributes |= kHidden;
    if (folder) attributes |= kDirectory;
    eFileAttributes_ = attributes ? attributes : kNormal;
    dCreationTime_ = info.created;
    dLastAccessTime_ = info.accessed;
    dLastWriteTime_ = info.written;
    lSize_ = folder ? 0 : info.size;
    return true;
}

bool clsFile::eFileAttributes(std::uint32_t attributes)
{
    struct stat st {};
    if (::stat(sFilename_.c_str(), &st) != 0) return false;
    const mode_t mode = st.st_mode & 07777;
    mode_t wanted = mode;
    if (attributes & fileattributes::kReadOnly)
        wanted &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        wanted |= S_IWUSR;
    if (wanted != mode && ::chmod(sFilename_.c_str(), wanted) != 0) return false;
    eFileAttributes_ = attributes;
    return true;
}

std::string clsFile::sName() const { return PathPart(sFilename_, pathparts::kName); }

std::string clsFile::sExtension() const { return PathPart(sFilename_, pathparts::kExtension); }

std::string clsFile::sNameAndExtension() const
{
    return PathPart(sFilename_, pathparts::kName | pathparts::kExtension);
}

} // namespace recorder
