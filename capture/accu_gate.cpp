#include "capture/accu_gate.h"

#include <algorithm>
#include <limits>

namespace dxrecord {

std::int32_t AccuGate::magnitude(std::int32_t level)
{
    if (level == std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::max();
    return level < 0 ? -level : level;
}

void AccuGate::derive(std::int32_t timerInterval)
{
    // An interval below 1 ms runs as 1 ms (the timer never ticks faster).
    const std::int32_t interval = std::max<std::int32_t>(timerInterval, 1);
    attackCount_ = 0;
    releaseCount_ = 0;
    open_ = enabled == 0;
    attackTicks_ = attackTime / interval;
    releaseTicks_ = releaseTime / interval;
}

void AccuGate::closeForStart()
{
    if (enabled == 0) return;
    open_ = false;
    attackCount_ = 0;
}

AccuGate::Change AccuGate::step(const std::vector<int>& rawLevels)
{
    if (enabled == 0 || rawLevels.empty()) return kNone;
    long long sum = 0;
    for (int level : rawLevels) sum += level;
    const long long average = sum / static_cast<long long>(rawLevels.size());
    if (!open_) {
        if (average < attackLevel) {
            attackCount_ = 0;
            return kNone;
        }
        if (++attackCount_ >= attackTicks_) {
            open_ = true;
            releaseCount_ = 0;
            return kOpened;
        }
        return kNone;
    }
    if (average > releaseLevel) {
        releaseCount_ = 0;
        return kNone;
    }
    if (++releaseCount_ >= releaseTicks_) {
        open_ = false;
        attackCount_ = 0;
        return kClosed;
    }
    return kNone;
}

} // namespace dxrecord
