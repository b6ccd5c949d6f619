#pragma once
// The player window's playlist: full paths (List1) and display names
// (lstfavs) kept in step, the selected entry, and where playback goes next.
//
// Moving on: next after the last entry wraps to the first and previous before
// the first to the last. At the end of an entry, shuffle picks uniformly from
// the whole list (the current entry included) with the generator given; in
// order, the following entry plays, and the end of the last one stops. An
// entry marked unplayable is passed over; when nothing is playable, nothing
// plays.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace recorder {

// The path after its last "/"; a path without one whole.
std::string StripPath(const std::string& path);

enum class PlayMode { InOrder, Shuffle };

class AudioPlayerList {
public:
    struct Entry {
        std::string path;    // List1
        std::string display; // lstfavs
        bool unplayable = false;
    };
    // A whole number in [0, n): the shuffle's pick.
    using Pick = std::function<std::size_t(std::size_t n)>;

    // Appends one entry to both lists; its index.
    std::size_t append(const std::string& path);
    const std::vector<Entry>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    std::optional<std::size_t> selected() const { return selected_; }
    void select(std::optional<std::size_t> index);
    // Marks an entry that failed to play, or clears the mark once it plays.
    void markUnplayable(std::size_t index, bool unplayable = true);

    // The entry to play for each command; nothing on an empty list.
    std::optional<std::size_t> next();
    std::optional<std::size_t> previous();
    // After the selected entry ended: the entry to play, or nothing to stop.
    std::optional<std::size_t> afterEnd(PlayMode mode, const Pick& pick);

private:
    std::optional<std::size_t> firstPlayableFrom(std::size_t start, int step, bool wrap);

    std::vector<Entry> entries_;
    std::optional<std::size_t> selected_;
};

} // namespace recorder
