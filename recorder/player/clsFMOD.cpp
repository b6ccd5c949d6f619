#include "recorder/player/clsFMOD.h"

#include "platform/com/apartment.h"
#include "recorder/player/fmod_errors.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace recorder {

namespace {

constexpr const char* kMessageTitle = "FMOD Error";

std::int32_t clampedMs(std::int64_t ms)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

clsFMOD::clsFMOD(PlayerMessages* messages) : messages_(messages)
{
    player_.onEnd = [this] {
        if (auto call = onStreamEnd) call();
    };
    player_.onOutputLost = [this](const std::string& why) {
        if (messages_) messages_->message("Playback stopped: " + why + ".", kMessageTitle, PlayerMessageIcon::Error);
    };
}

clsFMOD::~clsFMOD() { player_.unload(); }

bool clsFMOD::fail(int code)
{
    lastError_ = code;
    if (messages_) messages_->message(std::string(fmodErrorText(code)), kMessageTitle, PlayerMessageIcon::Error);
    return false;
}

bool clsFMOD::Init(std::int32_t lMixrate, std::int32_t lMaxChannels)
{
    initialised_ = false;
    if (lMixrate < 4000 || lMixrate > 65535 || lMaxChannels < 1 || lMaxChannels > 1024)
        return fail(kFmodErrInvalidParam);
    // Without an apartment the output's requests for more would never arrive.
    std::string why;
    if (!com::Apartment::current() || !player_.checkOutput(lMixrate, why)) return fail(kFmodErrInit);
    initialised_ = true;
    lastError_ = kFmodErrNone;
    return true;
}

bool clsFMOD::StreamPlay(const std::string& sFilename, bool, std::uint8_t bVolume)
{
    player_.unload();
    if (!initialised_) return fail(kFmodErrUninitialized);
    std::string why;
    if (!player_.load(sFilename, why)) {
        std::error_code ec;
        lastError_ = std::filesystem::exists(sFilename, ec) ? kFmodErrFileFormat : kFmodErrFileNotFound;
        if (messages_)
            messages_->message("Could not recognize & play \"" + sFilename + "\".", kMessageTitle,
                               PlayerMessageIcon::Warning);
        return false;
    }
    StreamVolume(bVolume);
    if (!player_.play(why)) {
        player_.unload();
        return fail(kFmodErrPlay);
    }
    lastError_ = kFmodErrNone;
    return true;
}

bool clsFMOD::StreamPausePlay()
{
    if (!player_.isLoaded()) return false;
    std::string why;
    if (!player_.setPaused(!player_.isPaused(), why)) return fail(kFmodErrPlay);
    return true;
}

bool clsFMOD::StreamUnload()
{
    player_.unload();
    return true;
}

std::int32_t clsFMOD::StreamSongLen() const { return player_.isLoaded() ? clampedMs(player_.lengthMs()) : 0; }

std::int32_t clsFMOD::StreamSongPos() const { return player_.isLoaded() ? clampedMs(player_.positionMs()) : 0; }

void clsFMOD::StreamSongPos(std::int32_t lPos)
{
    if (!player_.isLoaded()) return;
    std::string why;
    if (!player_.seek(lPos, why)) lastError_ = kFmodErrPlay;
}

void clsFMOD::StreamVolume(std::uint8_t bVolume)
{
    volume_ = bVolume;
    player_.setVolume((bVolume * 100 + 127) / 255);
}

std::int32_t clsFMOD::GetStreamOpenFile(const std::string& sFilename, bool)
{
    auto tags = StreamTags::read(sFilename);
    if (!tags) {
        lastError_ = kFmodErrFileNotFound;
        return 0;
    }
    // Handles count up and wrap; one still open is never given twice.
    do {
        lastHandle_ = lastHandle_ == std::numeric_limits<std::int32_t>::max() ? 1 : lastHandle_ + 1;
    } while (tagFiles_.contains(lastHandle_));
    tagFiles_.emplace(lastHandle_, std::move(*tags));
    return lastHandle_;
}

std::string clsFMOD::GetStreamTag(std::int32_t lHandle, std::int32_t eTag, const std::string& sTagName) const
{
    const auto it = tagFiles_.find(lHandle);
    return it == tagFiles_.end() ? std::string() : it->second.field(eTag, sTagName);
}

void clsFMOD::GetStreamCloseFile(std::int32_t lHandle) { tagFiles_.erase(lHandle); }

} // namespace recorder
