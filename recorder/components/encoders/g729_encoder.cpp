#include "recorder/components/encoders/g729_encoder.h"

extern "C" {
#include <bcg729/encoder.h>
}

namespace recorder {

namespace {
constexpr std::size_t kFrame = 80; // samples in 10 ms at 8000 Hz
}

G729Encoder::~G729Encoder()
{
    if (ctx_) closeBcg729EncoderChannel(ctx_);
}

bool G729Encoder::open(const std::string& path)
{
    ctx_ = initBcg729EncoderChannel(0);
    if (!ctx_) return fail("Out of memory.");
    if (!file_.create(path)) return fail(file_.error());
    return true;
}

bool G729Encoder::encodeFrames(const std::int16_t* pcm, std::size_t frames, std::vector<std::uint8_t>& out)
{
    for (std::size_t i = 0; i + kFrame <= frames; i += kFrame) {
        std::uint8_t bits[10];
        std::uint8_t length = 0;
        bcg729Encoder(ctx_, pcm + i, bits, &length);
        out.insert(out.end(), bits, bits + length);
    }
    return true;
}

bool G729Encoder::write(std::span<const std::int16_t> pcm)
{
    if (!error_.empty()) return false;
    std::vector<std::uint8_t> out;
    out.reserve((pcm.size() / kFrame + 1) * 10);
    std::size_t used = 0;
    if (!pending_.empty()) {
        used = std::min(kFrame - pending_.size(), pcm.size());
        pending_.insert(pending_.end(), pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(used));
        if (pending_.size() == kFrame) {
            encodeFrames(pending_.data(), kFrame, out);
            pending_.clear();
        }
    }
    const std::size_t whole = (pcm.size() - used) / kFrame * kFrame;
    encodeFrames(pcm.data() + used, whole, out);
    pending_.insert(pending_.end(), pcm.begin() + static_cast<std::ptrdiff_t>(used + whole), pcm.end());
    if (!file_.write(out) || !file_.sync()) return fail(file_.error());
    return true;
}

bool G729Encoder::finish()
{
    bool ok = error_.empty() && ctx_;
    if (ok && !pending_.empty()) {
        pending_.resize(kFrame, 0);
        std::vector<std::uint8_t> out;
        encodeFrames(pending_.data(), kFrame, out);
        pending_.clear();
        if (!file_.write(out) || !file_.sync()) ok = fail(file_.error());
    }
    if (!file_.close() && ok) ok = fail(file_.error());
    return ok;
}

} // namespace recorder
