#include "tags/web_frame.h"

#include "platform/com/bstr.h"
#include "tags/errors.h"
#include "tags/text_codec.h"

namespace tagmora {

void WebFrame::parse(ByteView body)
{
    if (body.empty()) RaiseError(106, "Web_Frame::parseBytes");
    encoding_ = body.at(0);
    std::size_t end = findTerminatorEnd(body, 1, encoding_);
    if (end == ByteView::npos) {
        description_ = decodeText(body.mid(1), encoding_);
        data_ = latin1ToUtf16(body.mid(1));
    } else {
        description_ = decodeText(body.mid(1, end - 1), encoding_);
        data_ = latin1ToUtf16(body.mid(end));
    }
    keepBody(body);
}

void WebFrame::chooseEncoding() { setTextEncoding(fitsLatin1(description_) ? kLatin1 : kUtf16); }

ByteVector WebFrame::renderFields() const
{
    ByteVector out{encoding_};
    append(out, encodeText(description_, encoding_));
    append(out, encodeUrl(data_));
    return out;
}

ByteVector encodeUrl(std::u16string_view url)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    ByteVector out;
    out.reserve(url.size());
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] <= 0xFF) {
            out.push_back(static_cast<std::uint8_t>(url[i]));
            continue;
        }
        std::size_t n = (url[i] >= 0xD800 && url[i] <= 0xDBFF && i + 1 < url.size()) ? 2 : 1;
        for (unsigned char c : com::utf16ToUtf8(url.substr(i, n))) {
            out.push_back('%');
            out.push_back(static_cast<std::uint8_t>(kHex[c >> 4]));
            out.push_back(static_cast<std::uint8_t>(kHex[c & 15]));
        }
        i += n - 1;
    }
    return out;
}

} // namespace tagmora
