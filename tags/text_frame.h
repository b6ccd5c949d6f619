#pragma once
// Text frames (identifiers beginning with T): encoding byte, then the text.

#include "tags/frame.h"

namespace tagmora {

class TextFrame final : public Frame {
public:
    FrameKind kind() const override { return FrameKind::Text; }
    // Raises 105 for an empty body.
    void parse(ByteView body) override;

protected:
    const char* errorName() const override { return "Text_Frame"; }
    ByteVector renderFields() const override;
};

} // namespace tagmora
