#pragma once
// Saving the editor's fields into files: one file as shown, or a batch of
// checked files with the multiple-file options. ID3v1 goes through clsID3v1,
// ID3v2 through clsID3v23 (the calling thread needs COM, as the GUI's has).
//
// A file that cannot be read or written keeps its record as it was and the
// batch goes on; every such file comes back with the reason, for one message.

#include "recorder/tagging/editor/tag_file_record.h"

#include <functional>
#include <string>
#include <vector>

namespace recorder {

// The editor's fields as they stand when "Save" is pressed.
struct TagEdits {
    bool v1On = false; // chkv1: write the ID3v1 tag, or remove it when clear
    std::array<std::string, tagfield::kV1Count> v1{};
    int v1Genre = -1; // list position; -1 = none selected
    bool v2On = false;
    std::array<std::string, tagfield::kV2Count> v2{};
    std::string v2Genre;
};

struct BatchOptions {
    bool keepOriginal = true;    // empty fields keep the file's own value
    bool trackFromIndex = false; // tracks 1, 2, 3 … in list order
    bool grabTitle = false;      // titles from the file names
};

struct TagSaveFailure {
    std::string path;
    std::string why;
};

// Writes or removes both tag versions of one file as `edits` says; the record
// then holds what the file now carries. Empty when everything worked.
std::vector<TagSaveFailure> saveTagFile(TagFileRecord& record, const TagEdits& edits);

// The batch: each of `records` in order, loaded from its own file before the
// edits are applied. `progress(done, total)` runs after each file.
std::vector<TagSaveFailure> saveTagBatch(const std::vector<TagFileRecord*>& records, const TagEdits& edits,
                                         const BatchOptions& options,
                                         const std::function<void(std::size_t, std::size_t)>& progress = {});

// "Some files could not be saved:\n/path: why\n…"
std::string tagSaveFailureText(const std::vector<TagSaveFailure>& failures);

} // namespace recorder
