#pragma once
// clsFind: a file search that collects clsFile objects. Searches add to the
// collection until Clear; items keep the order in which they were found.
//
// Order of one search: with bRecursive, every subfolder first (depth first),
// then the folder's own files, pattern by pattern in the order of the
// ";"-separated pattern list. Within one folder, names are taken in order of their
// case-folded text (then of their bytes), so the order is the same on every
// file system and matches what users see in a sorted list.
//
// Patterns match without regard to case (see wildcard_match.h); a file that
// two patterns match is listed once for each. Only regular files (also
// through symbolic links) are collected. A folder that cannot be listed
// adds nothing. Symbolic links to folders are followed, but each folder is
// searched at most once per call, so link loops end.

#include "recorder/fileutil/cls_file.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace recorder {

class clsFind {
public:
    using const_iterator = std::vector<clsFile>::const_iterator;

    // Returns Count() after the search.
    std::size_t Find(std::string sFindPath, std::string_view sFindSpec, bool bRecursive);

    // Indexes count from 0; out of range throws std::out_of_range.
    const clsFile& Item(std::size_t index) const { return items_.at(index); }
    clsFile& Item(std::size_t index) { return items_.at(index); }
    std::size_t Count() const { return items_.size(); }
    void Remove(std::size_t index);
    void Clear() { items_.clear(); }

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    std::vector<clsFile> items_;
};

} // namespace recorder
