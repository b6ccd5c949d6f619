#include "recorder/components/io/wav_writer.h"

#include <cstring>

namespace recorder {

namespace {

void put16(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}
void put64(std::vector<std::uint8_t>& v, std::uint64_t x)
{
    put32(v, static_cast<std::uint32_t>(x));
    put32(v, static_cast<std::uint32_t>(x >> 32));
}
void tag(std::vector<std::uint8_t>& v, const char* t) { v.insert(v.end(), t, t + 4); }

constexpr std::uint32_t kDs64Size = 28;

} // namespace

std::vector<std::uint8_t> pcmFmtChunk(int rate, int channels)
{
    std::vector<std::uint8_t> f;
    put16(f, 1);
    put16(f, static_cast<std::uint32_t>(channels));
    put32(f, static_cast<std::uint32_t>(rate));
    put32(f, static_cast<std::uint32_t>(rate * channels * 2));
    put16(f, static_cast<std::uint32_t>(channels * 2));
    put16(f, 16);
    return f;
}

std::vector<std::uint8_t> codedFmtChunk(std::uint16_t formatTag, int rate, int channels, std::uint32_t byteRate,
                                        std::uint16_t blockAlign, std::uint16_t bitsPerSample,
                                        std::span<const std::uint8_t> extension)
{
    std::vector<std::uint8_t> f;
    put16(f, formatTag);
    put16(f, static_cast<std::uint32_t>(channels));
    put32(f, static_cast<std::uint32_t>(rate));
    put32(f, byteRate);
    put16(f, blockAlign);
    put16(f, bitsPerSample);
    put16(f, static_cast<std::uint32_t>(extension.size()));
    f.insert(f.end(), extension.begin(), extension.end());
    return f;
}

std::vector<std::uint8_t> WavWriter::header() const
{
    const std::uint64_t riffBytes = headerBytes_ - 8 + dataBytes_ + (dataBytes_ & 1);
    const bool big = rf64_;
    std::vector<std::uint8_t> h;
    h.reserve(headerBytes_);
    tag(h, big ? "RF64" : "RIFF");
    put32(h, big ? 0xFFFFFFFFu : static_cast<std::uint32_t>(riffBytes));
    tag(h, "WAVE");
    tag(h, big ? "ds64" : "JUNK");
    put32(h, kDs64Size);
    if (big) {
        put64(h, riffBytes);
        put64(h, dataBytes_);
        put64(h, samples_);
        put32(h, 0);
    } else {
        h.insert(h.end(), kDs64Size, 0);
    }
    tag(h, "fmt ");
    put32(h, static_cast<std::uint32_t>(fmt_.size()));
    h.insert(h.end(), fmt_.begin(), fmt_.end());
    if (fmt_.size() & 1) h.push_back(0);
    if (hasFact_) {
        tag(h, "fact");
        put32(h, 4);
        put32(h, big ? 0xFFFFFFFFu : static_cast<std::uint32_t>(samples_));
    }
    tag(h, "data");
    put32(h, big ? 0xFFFFFFFFu : static_cast<std::uint32_t>(dataBytes_));
    return h;
}

bool WavWriter::create(const std::string& path, std::vector<std::uint8_t> fmt)
{
    fmt_ = std::move(fmt);
    hasFact_ = fmt_.size() >= 2 && (fmt_[0] | (fmt_[1] << 8)) != 1;
    rf64_ = false;
    dataBytes_ = samples_ = 0;
    headerBytes_ = 0;
    headerBytes_ = header().size();
    if (!file_.create(path)) return false;
    return file_.write(header()) && file_.sync();
}

bool WavWriter::append(std::span<const std::uint8_t> data, std::uint64_t samples)
{
    // The block alignment of the format chunk: a disk that fills keeps whole frames.
    const std::size_t align = fmt_.size() >= 14 ? std::size_t(fmt_[12] | (fmt_[13] << 8)) : 1;
    const bool ok = file_.write(data, align);
    const std::size_t kept = file_.lastKept();
    dataBytes_ += kept;
    samples_ += kept == data.size() ? samples : samples * kept / data.size();
    return ok;
}

bool WavWriter::commit()
{
    if (!file_.isOpen()) return false;
    if (!rf64_ && headerBytes_ - 8 + dataBytes_ + 1 > limit32_) rf64_ = true;
    // Data first, then the header that counts it: a crash between the two
    // leaves a header that covers only data already on the disk.
    if (!file_.sync()) return false;
    return file_.writeAt(0, header()) && file_.sync();
}

bool WavWriter::finish()
{
    if (!file_.isOpen()) return !file_.failed();
    if (file_.failed()) {
        // A full disk: the header, rewritten in place, still counts everything in the file.
        if (!rf64_ && headerBytes_ - 8 + dataBytes_ + 1 > limit32_) rf64_ = true;
        file_.writeAt(0, header());
        file_.sync();
        file_.close();
        return false;
    }
    bool ok = true;
    if (ok && (dataBytes_ & 1)) {
        const std::uint8_t pad = 0;
        ok = file_.write(&pad, 1);
    }
    // The pad byte is not data: the sizes stay those of the data itself.
    if (ok) ok = commit();
    return file_.close() && ok;
}

} // namespace recorder
