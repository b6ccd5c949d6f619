#include "recorder/recording/level_meter.h"

namespace recorder {

int recordingMeterValue(int level, int maximum)
{
    int value = level + maximum;
    if (value > maximum) value = maximum;
    return value >= 1 ? value : 0;
}

int playbackMeterValue(int level, int maximum)
{
    int value = level + maximum;
    if (value > maximum) value = maximum;
    return value > 0 ? value : -1;
}

} // namespace recorder
