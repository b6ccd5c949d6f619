#include "tags/frame.h"

#include "platform/com/bstr.h"
#include "tags/errors.h"
#include "tags/text_codec.h"

namespace tagmora {

void Frame::setFrameId(std::u16string_view id)
{
    if (id.size() != 4)
        RaiseError(102, std::string(errorName()) + "::FrameID", {"%ID%"}, {com::utf16ToUtf8(id)});
    id_ = utf16ToLatin1(id);
}

std::u16string Frame::frameIdText() const
{
    return latin1ToUtf16(ByteView(reinterpret_cast<const std::uint8_t*>(id_.data()), id_.size()));
}

void Frame::setFlags(ByteView flags)
{
    if (flags.size() != 2) RaiseError(107, std::string(errorName()) + "::setFlags");
    flags_ = {flags.at(0), flags.at(1)};
}

ByteVector Frame::render() const { return body_ ? *body_ : renderFields(); }

void Frame::setTextEncoding(std::uint8_t encoding)
{
    if (encoding == encoding_) return;
    encoding_ = encoding;
    changed();
}

void Frame::setData(std::u16string_view value) { setField(data_, terminated(value)); }

void Frame::chooseEncoding() { setTextEncoding(fitsLatin1(data_) ? kLatin1 : kUtf16); }

std::u16string Frame::terminated(std::u16string_view value)
{
    std::u16string s(value);
    if (s.empty() || s.back() != u'\0') s.push_back(u'\0');
    return s;
}

bool Frame::setField(std::u16string& field, std::u16string value)
{
    if (field == value) return false;
    field = std::move(value);
    changed();
    return true;
}

} // namespace tagmora
