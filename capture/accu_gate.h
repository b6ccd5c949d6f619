#pragma once
// The Accu gate: a sound-activated pause. While it is closed the captured
// audio is thrown away; it opens after the input has been loud for the attack
// ticks and closes after it has been quiet for the release ticks.

#include <cstdint>
#include <vector>

namespace dxrecord {

class AccuGate {
public:
    enum Change : int { kNone = 0, kClosed = 1, kOpened = 2 };

    AccuGate() { derive(20); }

    // Property values. Levels are kept as magnitudes; the getters of the
    // control negate them.
    std::int16_t enabled = 0;
    std::int32_t attackTime = 100, releaseTime = 300;
    std::int32_t attackLevel = 50, releaseLevel = 50;

    static std::int32_t magnitude(std::int32_t level);

    // Resets the counters, opens the gate unless enabled, and takes the tick
    // counts from the times and the timer interval now in force.
    void derive(std::int32_t timerInterval);
    // A start with the gate enabled begins paused.
    void closeForStart();
    // One processed tick with the raw levels (0 = silence): the change it made.
    Change step(const std::vector<int>& rawLevels);

    bool open() const { return open_; }
    std::int32_t attackTicks() const { return attackTicks_; }
    std::int32_t releaseTicks() const { return releaseTicks_; }

private:
    bool open_ = true;
    std::int32_t attackTicks_ = 5, releaseTicks_ = 15;
    std::int32_t attackCount_ = 0, releaseCount_ = 0;
};

} // namespace dxrecord
