#include "recorder/recording/block_queue.h"

namespace recorder {

bool BlockQueue::push(com::SafeArray& array, std::int64_t frames)
{
    {
        std::lock_guard lock(mutex_);
        if (finished_ || frames_ + frames > capacity_) return false;
        blocks_.push_back(Block{std::move(array), frames});
        frames_ += frames;
    }
    ready_.notify_one();
    return true;
}

void BlockQueue::pushSilence(std::int64_t frames)
{
    if (frames <= 0) return;
    {
        std::lock_guard lock(mutex_);
        if (finished_) return;
        blocks_.push_back(Block{com::SafeArray(), frames});
    }
    ready_.notify_one();
}

void BlockQueue::finish()
{
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    ready_.notify_one();
}

std::vector<BlockQueue::Block> BlockQueue::takeAll()
{
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return finished_ || !blocks_.empty(); });
    std::vector<Block> taken;
    taken.reserve(blocks_.size());
    for (auto& b : blocks_) taken.push_back(std::move(b));
    blocks_.clear();
    frames_ = 0;
    return taken;
}

std::int64_t BlockQueue::queuedFrames() const
{
    std::lock_guard lock(mutex_);
    return frames_;
}

} // namespace recorder
