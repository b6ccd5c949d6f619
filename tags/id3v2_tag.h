#pragma once
// The logic of clsID3v2: the ID3v2.3 tag of one file as an ordered list of
// frames, twelve fields over them, and rewriting or stripping a file's tag.
// Frames this library does not edit are kept and written back in place.
// Failures raise TagError (see errors.h); frames read before a failure stay.

#include "tags/frame.h"

#include <optional>
#include <string>
#include <string_view>

namespace tagmora {

class Id3v2Tag {
public:
    bool HasTag() const { return hasTag_; }

    void ReadTag(const std::string& path);
    void WriteTag(const std::string& path, bool ignoreReadOnly);
    void RemoveTag(const std::string& path, bool ignoreReadOnly);

    // The field's text without NUL characters; "" when absent.
    std::u16string GetFrameValue(std::int32_t field) const;
    // Sets the first frame of the field, or appends a new one. A value equal
    // to the current one leaves the frame untouched; otherwise the frame is
    // written in Latin-1 when its text fits, else in UTF-16.
    void SetFrameValue(std::int32_t field, std::u16string_view text);

    // The same reading as ReadTag over the first bytes of a file.
    void readBytes(ByteView fileStart, std::string_view pathForMessages);

    const FrameList& frames() const { return frames_; }

private:
    Frame* findField(std::string_view id) const;
    std::optional<std::u16string> yearFromRecordingTime() const;

    FrameList frames_;
    bool hasTag_ = false;
};

} // namespace tagmora
