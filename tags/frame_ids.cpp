#include "tags/frame_ids.h"

#include "tags/comment_frame.h"
#include "tags/errors.h"
#include "tags/text_frame.h"
#include "tags/web_frame.h"

#include <algorithm>
#include <array>

namespace tagmora {

namespace {

constexpr std::array<std::string_view, 12> kFields = {"TRCK", "TIT2", "TPE1", "TALB", "TYER", "TCON",
                                                      "COMM", "TCOM", "TOPE", "TCOP", "WXXX", "TENC"};

constexpr std::string_view kKnownIds[] = {
    "TRCK", "TIT2", "TPE1", "TALB", "TYER", "TCON", "COMM", "TCOM", "TOPE", "TCOP", "WXXX", "TENC", "AENC", "APIC",
    "COMR", "ENCR", "EQUA", "ETCO", "GEOB", "GRID", "IPLS", "LINK", "MCDI", "MLLT", "OWNE", "PRIV", "PCNT", "POPM",
    "POSS", "RBUF", "RVAD", "RVRB", "SYLT", "SYTC", "TBPM", "TDAT", "TDLY", "TEXT", "TFLT", "TIME", "TIT1", "TIT3",
    "TKEY", "TLAN", "TMED", "TOAL", "TOFN", "TOLY", "TORY", "TOWN", "TPE2", "TPE3", "TPE4", "TPOS", "TPUB", "TRDA",
    "TRSN", "TRSO", "TSIZ", "TSRC", "TSSE", "TXXX", "UFID", "USLT", "WCOM", "WCOP", "WOAF", "WOAR", "WOAS", "WPAY",
    "WPUB"};

} // namespace

std::string_view LookupFrameID(std::int32_t field)
{
    if (field < 1 || field > 12) RaiseError(108, "ID3v2::LookupFrameID");
    return kFields[static_cast<std::size_t>(field - 1)];
}

FrameKind GetFrameKind(std::string_view id)
{
    if (id == "WXXX") return FrameKind::Web;
    if (id == "COMM") return FrameKind::Comment;
    if (std::find(kFields.begin(), kFields.end(), id) != kFields.end()) return FrameKind::Text;
    return FrameKind::Unsupported;
}

bool IsValidFrameID(std::string_view id)
{
    if (std::find(std::begin(kKnownIds), std::end(kKnownIds), id) != std::end(kKnownIds)) return true;
    return !id.empty() && (id[0] == 'X' || id[0] == 'Y' || id[0] == 'Z');
}

std::unique_ptr<Frame> makeFrame(FrameKind kind)
{
    switch (kind) {
    case FrameKind::Text: return std::make_unique<TextFrame>();
    case FrameKind::Web: return std::make_unique<WebFrame>();
    case FrameKind::Comment: return std::make_unique<CommentFrame>();
    default: return nullptr;
    }
}

} // namespace tagmora
