#include "recorder/player/audio_player_list.h"

namespace recorder {

std::string StripPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::size_t AudioPlayerList::append(const std::string& path)
{
    entries_.push_back({path, StripPath(path), false});
    return entries_.size() - 1;
}

void AudioPlayerList::select(std::optional<std::size_t> index)
{
    selected_ = index && *index < entries_.size() ? index : std::nullopt;
}

void AudioPlayerList::markUnplayable(std::size_t index, bool unplayable)
{
    if (index < entries_.size()) entries_[index].unplayable = unplayable;
}

std::optional<std::size_t> AudioPlayerList::firstPlayableFrom(std::size_t start, int step, bool wrap)
{
    const std::size_t n = entries_.size();
    std::size_t index = start;
    for (std::size_t tried = 0; tried < n; ++tried) {
        if (!entries_[index].unplayable) {
            selected_ = index;
            return index;
        }
        if (step > 0) {
            if (index + 1 == n && !wrap) return std::nullopt;
            index = (index + 1) % n;
        } else {
            if (index == 0 && !wrap) return std::nullopt;
            index = index == 0 ? n - 1 : index - 1;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> AudioPlayerList::next()
{
    if (entries_.empty()) return std::nullopt;
    const std::size_t start = selected_ ? (*selected_ + 1) % entries_.size() : 0;
    return firstPlayableFrom(start, +1, true);
}

std::optional<std::size_t> AudioPlayerList::previous()
{
    if (entries_.empty()) return std::nullopt;
    const std::size_t start = selected_ && *selected_ > 0 ? *selected_ - 1 : entries_.size() - 1;
    return firstPlayableFrom(start, -1, true);
}

std::optional<std::size_t> AudioPlayerList::afterEnd(PlayMode mode, const Pick& pick)
{
    if (entries_.empty()) return std::nullopt;
    if (mode == PlayMode::Shuffle) {
        const std::size_t index = pick(entries_.size());
        if (index >= entries_.size()) return std::nullopt;
        // An unplayable pick moves on to the next playable entry.
        return firstPlayableFrom(index, +1, true);
    }
    const std::size_t following = selected_ ? *selected_ + 1 : 0;
    if (following >= entries_.size()) return std::nullopt; // the end of the last entry stops
    return firstPlayableFrom(following, +1, false);
}

} // namespace recorder
