#pragma once
// What the list's file commands do to a recording on disk: rename it without
// ever overwriting another file, and delete it into the desktop's trash so a
// mistaken delete can be undone.

#include "recorder/fileutil/trash.h"

#include <functional>
#include <string>

namespace recorder {

// The path a rename answer stands for: an absolute answer as it is, a
// relative one (a bare name included) in the recording's own folder.
std::string renameTarget(const std::string& path, const std::string& answer);

struct RenameResult {
    enum class Outcome {
        Renamed,      // newPath now holds the recording
        Unchanged,    // the answer names the recording itself
        Missing,      // no file at the recording's path
        TargetExists, // newPath is taken; nothing was touched
        Failed,       // error says why; the recording is where it was
    };
    Outcome outcome = Outcome::Failed;
    std::string newPath;
    std::string error;
};

// Renames (or moves, across file systems too) the recording to the answer's
// target. An existing target is never replaced, not even by a race.
RenameResult renameRecording(const std::string& path, const std::string& answer);

struct DeleteResult {
    enum class Outcome {
        Trashed, // moved to the freedesktop trash
        Deleted, // no trash could take it: removed
        Failed,  // still on disk; error says why
    };
    Outcome outcome = Outcome::Failed;
    std::string error;
};

using TrashFunction = std::function<TrashResult(const std::string&)>;

// Moves the recording to the trash, or deletes it where no trash takes it.
// A file that is already gone counts as deleted.
DeleteResult deleteRecording(const std::string& path, const TrashFunction& trash = moveToTrash);

} // namespace recorder
