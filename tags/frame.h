#pragma once
// One frame of a tag: identifier, the two flag bytes, and a body that each
// kind parses into fields and renders back. A parsed frame keeps its body
// bytes and renders exactly them until one of its fields changes, so frames
// nobody edits are written back byte for byte.

#include "tags/byte_vector.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tagmora {

// GetFrameKind's numbers.
enum class FrameKind { Text = 1, Web = 2, Comment = 3, Unsupported = 4 };

class Frame {
public:
    virtual ~Frame() = default;
    virtual FrameKind kind() const = 0;

    // The identifier as four bytes ("" for a new frame).
    const std::string& frameId() const { return id_; }
    // Raises 102 unless the value is exactly four characters.
    void setFrameId(std::u16string_view id);
    std::u16string frameIdText() const;

    const std::array<std::uint8_t, 2>& flags() const { return flags_; }
    // Raises 107 unless exactly two bytes are given.
    void setFlags(ByteView flags);

    // Loads the fields from a frame body (parseBytes).
    virtual void parse(ByteView body) = 0;
    // The frame body (getBytes); its length is FrameSize.
    ByteVector render() const;
    std::uint32_t frameSize() const { return static_cast<std::uint32_t>(render().size()); }

    std::uint8_t textEncoding() const { return encoding_; }
    void setTextEncoding(std::uint8_t encoding);

    // The main text, terminator included (the URL of a web frame).
    const std::u16string& data() const { return data_; }
    // Appends a NUL unless the value ends with one.
    void setData(std::u16string_view value);

    // Sets the encoding to Latin-1 when every text field fits it, else UTF-16.
    virtual void chooseEncoding();

protected:
    // Name used in the sources of errors: "Text_Frame", "Web_Frame", ...
    virtual const char* errorName() const = 0;
    virtual ByteVector renderFields() const = 0;

    void keepBody(ByteView body) { body_ = body.toVector(); }
    void changed() { body_.reset(); }
    static std::u16string terminated(std::u16string_view value);
    bool setField(std::u16string& field, std::u16string value);

    std::uint8_t encoding_ = 0;
    std::u16string data_ = std::u16string(1, u'\0');

private:
    std::string id_;
    std::array<std::uint8_t, 2> flags_{};
    std::optional<ByteVector> body_;
};

using FrameList = std::vector<std::unique_ptr<Frame>>;

} // namespace tagmora
