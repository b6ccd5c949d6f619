#pragma once
// The freedesktop.org trash: a file moved there can be restored from any
// desktop's file manager.
//
// Files on the home trash's file system go to $XDG_DATA_HOME/Trash
// (~/.local/share/Trash); files on another file system go to that file
// system's $topdir/.Trash/$uid (when an administrator made a sticky .Trash)
// or $topdir/.Trash-$uid. The info file is written first and exclusively,
// then the file is renamed into files/ without replacing anything, so two
// deletions never take each other's names and a failure leaves the file
// where it was. Nothing is ever copied: a trash on another file system than
// the file's is never used.

#include <string>

namespace recorder {

struct TrashResult {
    bool trashed = false;
    std::string trashedAs; // the path in the trash's files/ folder
    std::string error;     // why not, when not trashed
};

TrashResult moveToTrash(const std::string& path);

} // namespace recorder
