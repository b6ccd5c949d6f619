#pragma once
// The capture blocks between a session's owner thread (one producer) and its
// writer thread (one consumer), bounded by the audio it holds: a push that
// would exceed the bound is refused, so the producer can count what it drops
// and never waits.

#include "platform/com/safearray.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace recorder {

class BlockQueue {
public:
    explicit BlockQueue(std::int64_t capacityFrames) : capacity_(capacityFrames) {}

    struct Block {
        com::SafeArray array; // empty: `frames` of silence
        std::int64_t frames = 0;
    };

    // False (and the block is left with the caller) when it does not fit.
    bool push(com::SafeArray& array, std::int64_t frames);
    // Silence to write in order with the blocks (a gap while the capture was
    // away); it holds no memory, so it does not count against the bound.
    void pushSilence(std::int64_t frames);
    // No more pushes: takeAll returns what is left, then nothing.
    void finish();
    // Waits for blocks and takes all of them; empty once finished and drained.
    std::vector<Block> takeAll();
    std::int64_t queuedFrames() const;

private:
    const std::int64_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Block> blocks_;
    std::int64_t frames_ = 0;
    bool finished_ = false;
};

} // namespace recorder
