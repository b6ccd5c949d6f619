#include "tags/zlib_inflate.h"

#include <zlib.h>

#include <algorithm>

namespace tagmora {

namespace {

// Ends the stream on every path out.
struct InflateStream {
    z_stream z{};
    bool open = false;
    ~InflateStream()
    {
        if (open) inflateEnd(&z);
    }
};

} // namespace

std::optional<ByteVector> inflateZlib(ByteView data, std::size_t limit)
{
    InflateStream s;
    if (inflateInit(&s.z) != Z_OK) return std::nullopt;
    s.open = true;
    s.z.next_in = const_cast<Bytef*>(data.data());
    s.z.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), 0xFFFFFFFFu));
    ByteVector out;
    for (;;) {
        const std::size_t before = out.size();
        const std::size_t step = std::max<std::size_t>(4096, std::min<std::size_t>(before, 1u << 20));
        if (before >= limit + 1) return std::nullopt;
        out.resize(std::min(before + step, limit + 1));
        s.z.next_out = out.data() + before;
        s.z.avail_out = static_cast<uInt>(out.size() - before);
        const int rc = inflate(&s.z, Z_NO_FLUSH);
        out.resize(out.size() - s.z.avail_out);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) return std::nullopt; // damaged data, or input ended before the stream did
        if (s.z.avail_in == 0 && s.z.avail_out != 0) return std::nullopt;
    }
    if (out.size() > limit) return std::nullopt;
    return out;
}

} // namespace tagmora
