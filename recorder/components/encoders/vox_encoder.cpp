#include "recorder/components/encoders/vox_encoder.h"

#include <algorithm>
#include <cstdio>

namespace recorder {

namespace {

VoxEncoder* self(void* user) { return static_cast<VoxEncoder*>(user); }

sf_count_t fileLength(void* user) { return static_cast<sf_count_t>(self(user)->file().size()); }

sf_count_t seekTo(sf_count_t offset, int whence, void* user)
{
    auto* e = self(user);
    sf_count_t base = whence == SEEK_CUR ? e->position : whence == SEEK_END ? fileLength(user) : 0;
    e->position = std::max<sf_count_t>(0, base + offset);
    return e->position;
}

sf_count_t readFrom(void* ptr, sf_count_t count, void* user)
{
    auto* e = self(user);
    const std::int64_t n = e->file().readAt(static_cast<std::uint64_t>(e->position),
                                            {static_cast<std::uint8_t*>(ptr), static_cast<std::size_t>(count)});
    if (n > 0) e->position += n;
    return n < 0 ? 0 : n;
}

sf_count_t writeTo(const void* ptr, sf_count_t count, void* user)
{
    auto* e = self(user);
    if (!e->file().writeAt(static_cast<std::uint64_t>(e->position),
                           {static_cast<const std::uint8_t*>(ptr), static_cast<std::size_t>(count)}))
        return 0;
    e->position += count;
    return count;
}

sf_count_t tellAt(void* user) { return self(user)->position; }

SF_VIRTUAL_IO virtualIo = {fileLength, seekTo, readFrom, writeTo, tellAt};

} // namespace

VoxEncoder::~VoxEncoder()
{
    if (sf_) sf_close(sf_);
}

bool VoxEncoder::open(const std::string& path)
{
    if (!file_.create(path)) return fail(file_.error());
    SF_INFO info{};
    info.samplerate = format_.sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_RAW | SF_FORMAT_VOX_ADPCM;
    sf_ = sf_open_virtual(&virtualIo, SFM_WRITE, &info, this);
    if (!sf_) return fail(std::string("libsndfile cannot write VOX: ") + sf_strerror(nullptr));
    return true;
}

bool VoxEncoder::write(std::span<const std::int16_t> pcm)
{
    if (!error_.empty()) return false;
    even_.clear();
    if (pending_) even_.push_back(*pending_);
    even_.insert(even_.end(), pcm.begin(), pcm.end());
    pending_.reset();
    if (even_.size() % 2) {
        pending_ = even_.back();
        even_.pop_back();
    }
    const auto frames = static_cast<sf_count_t>(even_.size());
    if (frames > 0 && sf_writef_short(sf_, even_.data(), frames) != frames)
        return fail(file_.failed() ? file_.error() : std::string("libsndfile: ") + sf_strerror(sf_));
    sf_write_sync(sf_);
    if (file_.failed() || !file_.sync()) return fail(file_.error());
    return true;
}

bool VoxEncoder::finish()
{
    bool ok = error_.empty();
    if (ok && sf_ && pending_) {
        // The last odd sample is written with a copy of itself to fill its byte.
        const std::int16_t pair[2] = {*pending_, *pending_};
        pending_.reset();
        if (sf_writef_short(sf_, pair, 2) != 2) ok = fail(file_.failed() ? file_.error() : std::string("libsndfile could not write the last sample"));
    }
    if (sf_) {
        sf_close(sf_);
        sf_ = nullptr;
    }
    if (file_.failed()) ok = fail(file_.error());
    if (!file_.close() && ok) ok = fail(file_.error());
    return ok;
}

} // namespace recorder
