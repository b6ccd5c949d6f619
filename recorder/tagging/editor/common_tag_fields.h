#pragma once
// The fields several checked files share, as the editor shows them when more
// than one file is checked.

#include "recorder/tagging/editor/tag_file_record.h"

#include <vector>

namespace recorder {

struct CommonTagFields {
    // A field keeps the value of the first file that carries its tag version
    // and is blank once another such file differs (without regard to case;
    // the ID3v1 track as a number, and shown only above 0). v1Genre is -1
    // (no selection) when the genres differ.
    TagFileRecord fields;
    bool anyV1 = false; // some checked file carries an ID3v1 tag
    bool anyV2 = false;
};

CommonTagFields commonTagFields(const std::vector<const TagFileRecord*>& checked);

// The leading number of a text ("12abc" gives 12; "" and "x" give 0), as a
// track box reads.
long leadingNumber(const std::string& text);

} // namespace recorder
