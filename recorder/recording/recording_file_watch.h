#pragma once
// Keeps hold of the file being recorded, so that it survives its folder.
//
// A descriptor of its own stays open on the file for the whole recording.
// check() tells whether the file is still where the recording put it: it may
// have been moved with its folder (the descriptor's path now), or removed
// (the folder deleted, or unmounted) while its audio is still readable
// through the descriptor; or its folder may have been made read-only (by its
// mode, or remounted so), where the recording must not go on. rescue() copies
// a removed file, once it is closed, into the first folder where that works.

#include <cstdint>
#include <string>
#include <vector>

namespace recorder {

// A folder nobody may write into: a read-only mount, no write permission for
// this process, or no write bit at all (which root would otherwise write through).
bool folderIsReadOnly(const std::string& folder);

class RecordingFileWatch {
public:
    explicit RecordingFileWatch(std::string path);
    ~RecordingFileWatch();
    RecordingFileWatch(const RecordingFileWatch&) = delete;
    RecordingFileWatch& operator=(const RecordingFileWatch&) = delete;

    enum class Change { None, Moved, Removed, ReadOnly };
    struct Seen {
        Change change = Change::None;
        std::string where; // Moved: the file's path now
    };
    Seen check();

    // Where the file is known to be: the recording's path, or where it was moved.
    const std::string& path() const { return path_; }
    // Bytes in the file, through the descriptor (wherever the file is).
    std::uint64_t size() const;

    // Copies the whole file into the first folder that takes it (created when
    // missing), under its own name or, when that is taken, a name beside it.
    // The path of the copy; empty with why when no folder took it.
    std::string rescue(const std::vector<std::string>& folders, std::string& why);

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t device_ = 0, inode_ = 0;
};

} // namespace recorder
