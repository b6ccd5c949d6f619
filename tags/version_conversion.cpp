#include "tags/version_conversion.h"

#include "tags/tag_header.h"
#include "tags/tag_reader.h"
#include "tags/text_codec.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tagmora {

namespace {

const std::map<std::string_view, std::string_view>& v22Table()
{
    static const std::map<std::string_view, std::string_view> table = {
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
        {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
        {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
        {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
        {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
        {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
        {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
        {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
        {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
        {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
        {"WPB", "WPUB"}, {"WXX", "WXXX"},
        // iTunes' own three-letter frames.
        {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSA", "TSOA"}, {"TSP", "TSOP"}, {"TS2", "TSO2"}, {"TSC", "TSOC"},
        {"PCS", "PCST"}, {"TDR", "TDRL"}, {"TDS", "TDES"}, {"TID", "TGID"}, {"WFD", "WFED"}, {"MVN", "MVNM"},
        {"MVI", "MVIN"}, {"GP1", "GRP1"}, {"TCT", "TCAT"}, {"TKW", "TKWD"}};
    return table;
}

bool isTextLayout(std::string_view id) { return id.size() == 4 && id[0] == 'T'; }

// The strings of `bytes` in `encoding`, each without its terminator, and
// whether the last one had a terminator.
std::vector<std::u16string> splitStrings(ByteView bytes, std::uint8_t encoding, bool& terminated)
{
    std::u16string text = decodeText(bytes, encoding);
    terminated = !text.empty() && text.back() == u'\0';
    if (terminated) text.pop_back();
    std::vector<std::u16string> out;
    std::size_t start = 0;
    for (;;) {
        const auto nul = text.find(u'\0', start);
        out.push_back(text.substr(start, nul == std::u16string::npos ? std::u16string::npos : nul - start));
        if (nul == std::u16string::npos) break;
        start = nul + 1;
    }
    return out;
}

// Each string with its own byte order mark, as v2.3 readers expect.
ByteVector utf16Strings(const std::vector<std::u16string>& strings, bool terminated)
{
    ByteVector out;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const ByteVector encoded = encodeText(strings[i], kUtf16); // mark first; nothing for ""
        if (encoded.empty()) {
            out.push_back(0xFF);
            out.push_back(0xFE);
        }
        append(out, encoded);
        if (i + 1 < strings.size() || terminated) {
            out.push_back(0);
            out.push_back(0);
        }
    }
    return out;
}

ByteVector reencodedStrings(ByteView bytes, std::uint8_t encoding)
{
    // Split first: the split tells whether the text was terminated.
    bool terminated = false;
    const auto strings = splitStrings(bytes, encoding, terminated);
    return utf16Strings(strings, terminated);
}

// One string in the encoding from `from`: its re-encoded bytes and where it ends.
std::size_t reencodeOne(ByteView body, std::size_t from, std::uint8_t encoding, ByteVector& out)
{
    std::size_t end = findTerminatorEnd(body, from, encoding);
    const bool terminated = end != ByteView::npos;
    if (!terminated) end = body.size();
    const std::size_t textEnd = terminated ? end - unitSize(encoding) : end;
    bool ignored = false;
    append(out, utf16Strings(splitStrings(body.mid(from, textEnd - from), encoding, ignored), terminated));
    return end;
}

std::u16string textOf(const RawFrame& f)
{
    if (f.body.empty()) return {};
    std::u16string text = decodeText(ByteView(f.body).mid(1), f.body[0]);
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

RawFrame latin1TextFrame(std::string id, const std::u16string& text, std::array<std::uint8_t, 2> flags)
{
    RawFrame f{std::move(id), flags, {kLatin1}};
    append(f.body, encodeText(text, kLatin1));
    return f;
}

// Sub-frames of CHAP and CTOC start after the element's fixed part.
std::size_t subFramesStart(const RawFrame& f)
{
    ByteView body(f.body);
    const std::size_t idEnd = body.find(0);
    if (idEnd == ByteView::npos) return ByteView::npos;
    if (f.id == "CHAP") return body.holds(idEnd + 1, 16) ? idEnd + 17 : ByteView::npos;
    // CTOC: flags, entry count, then that many element identifiers.
    if (!body.holds(idEnd + 1, 2)) return ByteView::npos;
    std::size_t p = idEnd + 3;
    for (int n = body.at(idEnd + 2); n > 0; --n) {
        const std::size_t end = body.find(0, p);
        if (end == ByteView::npos) return ByteView::npos;
        p = end + 1;
    }
    return p;
}

} // namespace

std::optional<std::string> v23IdOfV22(std::string_view id)
{
    const auto& table = v22Table();
    auto it = table.find(id);
    if (it == table.end()) return std::nullopt;
    return std::string(it->second);
}

ByteVector apicFromPic(ByteView pic)
{
    if (pic.size() < 4) return pic.toVector();
    std::string format(reinterpret_cast<const char*>(pic.data() + 1), 3);
    std::transform(format.begin(), format.end(), format.begin(), [](char c) { return char(std::tolower(c)); });
    std::string mime = format == "-->" ? "-->" : format == "jpg" ? "image/jpeg" : "image/" + format;
    ByteVector out{pic.at(0)};
    out.insert(out.end(), mime.begin(), mime.end());
    out.push_back(0);
    append(out, pic.mid(4));
    return out;
}

std::array<std::uint8_t, 2> v23FlagsOfV24(std::array<std::uint8_t, 2> v24)
{
    std::array<std::uint8_t, 2> v23{};
    if (v24[0] & 0x40) v23[0] |= 0x80; // tag alter preservation
    if (v24[0] & 0x20) v23[0] |= 0x40; // file alter preservation
    if (v24[0] & 0x10) v23[0] |= 0x20; // read only
    if (v24[1] & 0x04) v23[1] |= 0x40; // encryption
    if (v24[1] & 0x40) v23[1] |= 0x20; // grouping
    return v23;
}

void reencodeForV23(RawFrame& f)
{
    if (f.body.empty() || (f.flags[1] & 0x60)) return; // encrypted or grouped: not ours to read
    const std::uint8_t encoding = f.body[0];
    if (encoding != kUtf8 && encoding != kUtf16BE) return;
    ByteView body(f.body);
    ByteVector out{kUtf16};
    if (isTextLayout(f.id) || f.id == "IPLS") {
        append(out, reencodedStrings(body.mid(1), encoding));
    } else if ((f.id == "COMM" || f.id == "USLT") && body.size() >= 4) {
        append(out, body.mid(1, 3));
        append(out, reencodedStrings(body.mid(4), encoding));
    } else if (f.id == "WXXX") {
        const std::size_t end = reencodeOne(body, 1, encoding, out);
        append(out, body.mid(end));
    } else if (f.id == "APIC") {
        const std::size_t mimeEnd = body.find(0, 1);
        if (mimeEnd == ByteView::npos || !body.holds(mimeEnd + 1, 1)) return;
        append(out, body.mid(1, mimeEnd + 1)); // MIME type (Latin-1) and picture type
        const std::size_t end = reencodeOne(body, mimeEnd + 2, encoding, out);
        append(out, body.mid(end));
    } else {
        return;
    }
    f.body = std::move(out);
}

std::vector<RawFrame> v23FramesOfV24(RawFrame f)
{
    f.flags = v23FlagsOfV24(f.flags);
    reencodeForV23(f);
    if (f.id == "TDRC" || f.id == "TDOR") {
        const std::u16string t = textOf(f);
        std::vector<RawFrame> out;
        if (t.size() >= 4) out.push_back(latin1TextFrame(f.id == "TDRC" ? "TYER" : "TORY", t.substr(0, 4), f.flags));
        if (f.id == "TDRC" && t.size() >= 10) // yyyy-MM-dd → DDMM
            out.push_back(latin1TextFrame("TDAT", t.substr(8, 2) + t.substr(5, 2), f.flags));
        if (f.id == "TDRC" && t.size() >= 16) // ...THH:mm → HHMM
            out.push_back(latin1TextFrame("TIME", t.substr(11, 2) + t.substr(14, 2), f.flags));
        if (out.empty()) out.push_back(std::move(f)); // not a date we can read: keep it as it is
        return out;
    }
    if (f.id == "TIPL" || f.id == "TMCL") f.id = "IPLS";
    if ((f.id == "CHAP" || f.id == "CTOC") && !(f.flags[1] & 0x60)) {
        const std::size_t start = subFramesStart(f);
        if (start != ByteView::npos && start < f.body.size()) {
            try {
                ByteView subs = ByteView(f.body).mid(start);
                std::vector<RawFrame> converted;
                readRawFrames(subs, subs.size(), 4, false, "", converted);
                ByteVector body(f.body.begin(), f.body.begin() + static_cast<std::ptrdiff_t>(start));
                append(body, renderV23Frames(converted));
                f.body = std::move(body);
            } catch (...) {
                // Sub-frames that do not read are kept as they were.
            }
        }
    }
    return {std::move(f)};
}

ByteVector renderV23Frames(const std::vector<RawFrame>& frames)
{
    ByteVector out;
    for (const auto& f : frames) {
        append(out, renderFrameHeader(f.id, static_cast<std::uint32_t>(f.body.size()), f.flags));
        append(out, f.body);
    }
    return out;
}

} // namespace tagmora
