#pragma once
// A frame this library does not edit (cover art, lyrics, TXXX, compressed or
// encrypted frames, ...): kept as identifier, flags and body, and written
// back unchanged in its place.

#include "tags/frame.h"

namespace tagmora {

class OpaqueFrame final : public Frame {
public:
    FrameKind kind() const override { return FrameKind::Unsupported; }
    void parse(ByteView body) override { body_ = body.toVector(); }
    const ByteVector& body() const { return body_; }

protected:
    const char* errorName() const override { return "Frame"; }
    ByteVector renderFields() const override { return body_; }

private:
    ByteVector body_;
};

} // namespace tagmora
