#include "platform/testserver/stream_reader.h"

#include <pulse/simple.h>

namespace testsound {

std::vector<std::int16_t> recordFromSource(const std::string& server, const std::string& source, int rate, int channels,
                                           std::size_t frames)
{
    pa_sample_spec sampleSpec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(rate), static_cast<std::uint8_t>(channels)};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(20000, &sampleSpec));
    int error = 0;
    pa_simple* s = pa_simple_new(server.c_str(), "velmor-test-reader", PA_STREAM_RECORD, source.c_str(), "read back",
                                 &sampleSpec, nullptr, &attr, &error);
    if (!s) return {};
    std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels));
    if (pa_simple_read(s, out.data(), out.size() * sizeof(std::int16_t), &error) < 0) out.clear();
    pa_simple_free(s);
    return out;
}

} // namespace testsound
