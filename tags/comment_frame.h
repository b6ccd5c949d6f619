#pragma once
// The comment frame COMM: encoding byte, three language characters, the
// description with its terminator, then the comment text.

#include "tags/frame.h"

namespace tagmora {

class CommentFrame final : public Frame {
public:
    FrameKind kind() const override { return FrameKind::Comment; }
    // Raises 104 for a body shorter than 5 bytes. Without a terminator after
    // the description, the description takes all the text and Data is "".
    void parse(ByteView body) override;

    const std::u16string& language() const { return language_; }
    // Exactly three characters: shorter values padded with spaces, longer cut.
    void setLanguage(std::u16string_view value);
    const std::u16string& description() const { return description_; }
    void setDescription(std::u16string_view value) { setField(description_, terminated(value)); }
    void chooseEncoding() override;

protected:
    const char* errorName() const override { return "Comment_Frame"; }
    ByteVector renderFields() const override;

private:
    std::u16string language_ = std::u16string(3, u'\0');
    std::u16string description_ = std::u16string(1, u'\0');
};

} // namespace tagmora
