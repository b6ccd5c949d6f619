#include "tags/comment_frame.h"

#include "tags/errors.h"
#include "tags/text_codec.h"

namespace tagmora {

void CommentFrame::parse(ByteView body)
{
    if (body.size() < 5) RaiseError(104, "Comment_Frame::parseBytes");
    encoding_ = body.at(0);
    language_ = latin1ToUtf16(body.mid(1, 3));
    std::size_t end = findTerminatorEnd(body, 4, encoding_);
    if (end == ByteView::npos) {
        description_ = decodeText(body.mid(4), encoding_);
        data_.clear();
    } else {
        description_ = decodeText(body.mid(4, end - 4), encoding_);
        data_ = decodeText(body.mid(end), encoding_);
    }
    keepBody(body);
}

void CommentFrame::setLanguage(std::u16string_view value)
{
    std::u16string three(value.substr(0, 3));
    three.resize(3, u' ');
    setField(language_, std::move(three));
}

void CommentFrame::chooseEncoding()
{
    setTextEncoding(fitsLatin1(description_) && fitsLatin1(data_) ? kLatin1 : kUtf16);
}

ByteVector CommentFrame::renderFields() const
{
    ByteVector out{encoding_};
    append(out, encodeText(language_, kLatin1));
    append(out, encodeText(description_, encoding_));
    append(out, encodeText(data_, encoding_));
    return out;
}

} // namespace tagmora
