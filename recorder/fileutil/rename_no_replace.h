#pragma once
// Renaming within one file system without ever replacing what is at the target.

#include <string>

namespace recorder {

// 0, or the errno of the failure (EEXIST when the target is taken, EXDEV
// across file systems). Uses renameat2's no-replace flag; where the file
// system lacks it, a hard link and an unlink, and where that fails too (no
// hard links, a folder), a check for the target and a plain rename.
int renameNoReplace(const std::string& from, const std::string& to);

} // namespace recorder
