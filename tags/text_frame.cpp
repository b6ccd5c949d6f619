#include "tags/text_frame.h"

#include "tags/errors.h"
#include "tags/text_codec.h"

namespace tagmora {

void TextFrame::parse(ByteView body)
{
    if (body.empty()) RaiseError(105, "TextFrame::parseBytes");
    encoding_ = body.at(0);
    data_ = decodeText(body.mid(1), encoding_);
    keepBody(body);
}

ByteVector TextFrame::renderFields() const
{
    ByteVector out{encoding_};
    append(out, encodeText(data_, encoding_));
    return out;
}

} // namespace tagmora
