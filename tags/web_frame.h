#pragma once
// The user URL frame WXXX: encoding byte, description in that encoding with
// its terminator, then the URL in Latin-1, which this library terminates too.

#include "tags/frame.h"

namespace tagmora {

class WebFrame final : public Frame {
public:
    FrameKind kind() const override { return FrameKind::Web; }
    // Raises 106 for an empty body. Without a terminator after the
    // description, the description and the URL both take all the text bytes.
    void parse(ByteView body) override;

    const std::u16string& description() const { return description_; }
    void setDescription(std::u16string_view value) { setField(description_, terminated(value)); }
    void chooseEncoding() override;

protected:
    const char* errorName() const override { return "Web_Frame"; }
    ByteVector renderFields() const override;

private:
    std::u16string description_ = std::u16string(1, u'\0');
};

// A URL as Latin-1 bytes: characters outside Latin-1 are written as the
// percent-escapes of their UTF-8 bytes, as URLs carry them.
ByteVector encodeUrl(std::u16string_view url);

} // namespace tagmora
